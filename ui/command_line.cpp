#include "command_line.h"

#include <QCommandLineParser>
#include <cstdio>

namespace {

// Only where the server's settings come from a Wine prefix (not on Windows).
constexpr bool kWinePrefixOption = QV_WINE_PREFIX_OPTION;

CommandLine Answer(CommandLine::Action action, const QString& text) {
    CommandLine line;
    line.action = action;
    line.text = text;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        CommandLine::tr("Follows the activity logs of the Quorvane mail server on this machine, "
                        "as they are\nwritten, in one window per component. It only ever reads."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which are not taken.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  CommandLine::tr("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption prefix(
        QStringLiteral("wine-prefix"),
        CommandLine::tr("The Wine prefix the server runs in (default: $WINEPREFIX, or ~/.wine "
                        "when that is unset)."),
        CommandLine::tr("dir"));
    if (kWinePrefixOption) parser.addOption(prefix);

    const auto mistake = [&parser](const QString& what) {
        return Answer(CommandLine::Action::Error,
                      QStringLiteral("QVActivityMonitor: %1\n\n%2").arg(what, parser.helpText()));
    };
    if (!parser.parse(arguments)) return mistake(parser.errorText());
    if (parser.isSet(help)) {
        return Answer(CommandLine::Action::Help, parser.helpText());
    }
    if (parser.isSet(version)) {
        return Answer(CommandLine::Action::Version,
                      QStringLiteral("QVActivityMonitor " QV_VERSION "\n"));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return mistake(CommandLine::tr("Unexpected argument '%1'.")
                           .arg(parser.positionalArguments().constFirst()));
    }
    CommandLine line;
    if (kWinePrefixOption && parser.isSet(prefix)) {
        line.winePrefix = parser.value(prefix);  // the last one given
        // An empty $WINEPREFIX means ~/.wine: an empty option would not be what was meant.
        if (line.winePrefix.isEmpty())
            return mistake(CommandLine::tr("--wine-prefix needs a folder."));
    }
    return line;
}

int ActOnCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            std::fputs(line.text.toLocal8Bit().constData(), stdout);
            return 0;
        case CommandLine::Action::Error:
            std::fputs(line.text.toLocal8Bit().constData(), stderr);
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    // The core reads the prefix from the environment at each look-up.
    if (!line.winePrefix.isEmpty()) qputenv("WINEPREFIX", line.winePrefix.toLocal8Bit());
    return -1;
}

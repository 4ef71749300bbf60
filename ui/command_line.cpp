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

// Strictly "YYYY-MM-DD" of a real day, else null: Qt's ISO form takes more
// than a script should rely on.
QDate ParseDay(const QString& text) {
    const auto digits = [&text](qsizetype from, qsizetype count) {
        int v = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9') return -1;
            v = v * 10 + (c - u'0');
        }
        return v;
    };
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-') return {};
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0) return {};
    const QDate date(year, month, day);
    return date.isValid() ? date : QDate();
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
    const QCommandLineOption find(
        QStringLiteral("find"),
        CommandLine::tr("Opens with Find in Logs' results for the text: the lines of a day's "
                        "logs that contain it, case aside."),
        CommandLine::tr("text"));
    parser.addOption(find);
    const QCommandLineOption day(
        QStringLiteral("day"),
        CommandLine::tr("The day whose logs --find searches, as YYYY-MM-DD (default: today)."),
        CommandLine::tr("date"));
    parser.addOption(day);

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
    if (parser.isSet(day) && !parser.isSet(find))
        return mistake(CommandLine::tr("--day goes with --find."));
    if (parser.isSet(find)) {
        line.find = true;
        line.findText = parser.value(find);  // the last one given, as for every option
        if (line.findText.isEmpty()) return mistake(CommandLine::tr("--find needs a text."));
        line.findDay = QDate::currentDate();
        if (parser.isSet(day)) {
            line.findDay = ParseDay(parser.value(day));
            if (line.findDay.isNull()) {
                return mistake(CommandLine::tr("--day: '%1' is not a day as YYYY-MM-DD.")
                                   .arg(parser.value(day)));
            }
        }
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

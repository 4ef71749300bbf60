#include "command_line.h"

#include <QCommandLineParser>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <limits>

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

// A year: more is a typing slip rather than a wish.
constexpr qulonglong kMaxQuietSeconds = 366ULL * 24 * 60 * 60;

// The --highlight and --alert texts as rules, in the order given on the line.
// A text given again is kept once, alerting if either asked; an empty or an
// overlong one is a mistake, named in the text returned.
QString TakeHighlights(const QCommandLineParser& parser,
                       std::vector<activity::HighlightRule>& out) {
    using Refusal = activity::HighlightRules::Refusal;
    activity::HighlightRules rules;
    QMap<QString, qsizetype> taken;  // values of each option used so far
    for (const QString& name : parser.optionNames()) {
        if (name != QLatin1String("highlight") && name != QLatin1String("alert")) continue;
        const QString text = parser.values(name).value(taken[name]++);
        activity::HighlightRule rule{text.toStdString(),
                                     int(rules.Rules().size()) % activity::kHighlightColours,
                                     name == QLatin1String("alert")};
        switch (rules.Add(rule)) {
            case Refusal::None:
                break;
            case Refusal::Empty:
                return CommandLine::tr("--%1 needs a text.").arg(name);
            case Refusal::TooLong:
                return CommandLine::tr("--%1: the text is longer than %L2 characters.")
                    .arg(name)
                    .arg(qulonglong(activity::HighlightRules::kMaxTextChars));
            case Refusal::Duplicate:
                // Kept once, where first given. The one rule the text may not be
                // given to is the one that has it, as the rules compare texts.
                for (std::size_t i = 0; rule.alert && i < rules.Rules().size(); ++i) {
                    const activity::HighlightRule first = rules.Rules()[i];
                    if (rules.Change(i, {rule.text, first.colour, true}) != Refusal::None) continue;
                    rules.Change(i, {first.text, first.colour, true});
                    break;
                }
                break;
        }
    }
    out = rules.Rules();
    return {};
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
    const QCommandLineOption highlight(
        QStringLiteral("highlight"),
        CommandLine::tr("Highlights the entries that contain the text, case aside, in a colour "
                        "of its own (repeatable)."),
        CommandLine::tr("text"));
    parser.addOption(highlight);
    const QCommandLineOption alert(
        QStringLiteral("alert"),
        CommandLine::tr("Highlights the entries that contain the text, and calls for attention "
                        "when one arrives unseen (repeatable)."),
        CommandLine::tr("text"));
    parser.addOption(alert);
    const QCommandLineOption quiet(
        QStringLiteral("alert-quiet"),
        CommandLine::tr("The shortest time in seconds between two alerts for the same text "
                        "(default: 60)."),
        CommandLine::tr("seconds"));
    parser.addOption(quiet);
    const QCommandLineOption sound(QStringLiteral("alert-sound"),
                                   CommandLine::tr("Beeps with each alert."));
    parser.addOption(sound);

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
    if (QString error = TakeHighlights(parser, line.highlights); !error.isEmpty())
        return mistake(error);
    if (parser.isSet(quiet)) {
        const QString text = parser.value(quiet);
        // Digits only: no sign, no blanks, no fraction.
        bool ok = !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                                 [](QChar c) { return c >= u'0' && c <= u'9'; });
        const qulonglong seconds = ok ? text.toULongLong(&ok) : 0;
        if (!ok || seconds > kMaxQuietSeconds) {
            return mistake(CommandLine::tr("--alert-quiet: '%1' is not a whole number of seconds "
                                           "from 0 to %L2.")
                               .arg(text)
                               .arg(kMaxQuietSeconds));
        }
        line.alertQuietMs = std::int64_t(seconds) * 1000;
    }
    line.alertSound = parser.isSet(sound);
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

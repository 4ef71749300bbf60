#pragma once

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

#include "highlight_rules.h"

// What the command line asks for. Read before the window system starts, so
// that --help, --version and a mistake answer without a display.
struct CommandLine {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

  public:
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString winePrefix;  // when not empty, stands in for $WINEPREFIX
    // --find: open with the day's logs searched for `findText` (never empty)
    // on `findDay` (--day, else the day it was started on).
    bool find = false;
    QString findText;
    QDate findDay;
    // --highlight and --alert in the order given, each text once (case aside;
    // alerting if either asked), coloured in turn from the palette.
    std::vector<activity::HighlightRule> highlights;
    std::optional<std::int64_t> alertQuietMs;  // --alert-quiet, in ms
    bool alertSound = false;
    QString text;  // the help, the version, or the mistake with the usage
};

// `arguments` as QCoreApplication::arguments() gives them, the program first.
CommandLine ParseCommandLine(const QStringList& arguments);

// Prints what help, the version or a mistake asks for and returns the exit
// status. For a run, applies the options to the process and returns -1.
int ActOnCommandLine(const CommandLine& line);

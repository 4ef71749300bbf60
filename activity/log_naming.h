#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "local_date.h"

namespace activity {

// "YYMMDD": 21 August 2002 gives "020821".
std::string DateStamp(const LocalDate& date);

// The path of a component's log for a date: directory, a backslash, the
// component's file prefix, the date stamp, ".log". Nothing is trimmed.
std::string ActiveFileName(std::string_view loggingDirectory, std::string_view serviceName,
                           const LocalDate& date);

// What a component's log name starts with: its prefix in the table, or for a
// name outside it the name and "-Activity-".
std::string LogFilePrefix(std::string_view serviceName);

// The day whose log of `serviceName` a file called `fileName` is, told by the
// rules above read backwards: the prefix and ".log" case aside, as Windows
// compares names, and six digits between that make a real date, "YY" taken as
// 20YY. nullopt for any other name.
std::optional<LocalDate> LogFileDay(std::string_view fileName, std::string_view serviceName);

}  // namespace activity

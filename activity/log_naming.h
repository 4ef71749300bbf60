#pragma once

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

}  // namespace activity

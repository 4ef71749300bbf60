#pragma once

#include <vector>

#include "local_date.h"
#include "log_search.h"

namespace activity {

// The days on which any of `folders` holds its component's log, told from the
// files' names by the naming rules read backwards; sorted, each day once. A
// folder that is missing or unreadable adds none. Reads only the folders'
// listings.
std::vector<LocalDate> LogDays(const std::vector<ComponentFolder>& folders);

}  // namespace activity

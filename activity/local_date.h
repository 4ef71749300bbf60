#pragma once

#include <functional>

namespace activity {

struct LocalDate {
    int year = 0;   // e.g. 2002
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    bool operator==(const LocalDate&) const = default;
};

// Where the follower gets "today" from; tests set their own.
using LocalClock = std::function<LocalDate()>;

// The machine's local date now (local_date_posix.cpp / local_date_win.cpp).
LocalDate SystemLocalDate();

}  // namespace activity

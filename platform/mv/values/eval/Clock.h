// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace mv::values {

// The caller's clock in the machine's local time, as @DATE, @TIME, DATE(), TIME() and
// TIMEDATE() show it.
struct LocalClock {
    long internalDate = 0;  // days since 31 December 1967
    long seconds = 0;       // since midnight
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};
LocalClock ReadClock(std::chrono::system_clock::time_point now);

// "HH:MM:SS DD MMM YYYY", as TIMEDATE() writes it.
std::string TimeDateText(const LocalClock& clock);

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/Clock.h"

#include <cstdio>
#include <ctime>

#include "platform/mv/values/Conversions.h"

namespace mv::values {
namespace {

// Days from 1 January 1970 to the given date of the proleptic Gregorian calendar.
long DaysFromCivil(long year, long month, long day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

LocalClock ReadClock(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    LocalClock clock;
    clock.year = local.tm_year + 1900;
    clock.month = local.tm_mon + 1;
    clock.day = local.tm_mday;
    clock.seconds = local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
    clock.internalDate = DaysFromCivil(clock.year, clock.month, clock.day) -
                         DaysFromCivil(kInternalDateEpochYear, 12, 31);
    return clock;
}

std::string TimeDateText(const LocalClock& clock) {
    static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    char text[40];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld %02d %s %04d", clock.seconds / 3600,
                  clock.seconds / 60 % 60, clock.seconds % 60, clock.day,
                  kMonths[(clock.month + 11) % 12], clock.year);
    return text;
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv::values::conv {

// One part of a date as a D code lays it out: Y M D W Q J, with A (full name) or B
// (abbreviated name) for M and W.
struct DatePart {
    char letter = 'D';
    char names = 0;       // 0, 'A' or 'B'
    int yearDigits = -1;  // Y followed by a digit; -1: the code's year digits
};

// The modifier in brackets that goes with the part of the same place.
struct DatePartModifier {
    enum class Kind { kNone, kWidth, kAlpha, kZeroSuppress, kText } kind = Kind::kNone;
    int width = -1;  // -1: none given
    std::string text;
};

// A D code read: D [year digits] [separator] [parts] [E] [L] [[modifiers]].
struct DateCode {
    int yearDigits = 4;
    char separator = 0;           // 0: none given
    std::vector<DatePart> parts;  // empty: the default layout
    std::vector<DatePartModifier> modifiers;
    bool european = false;
    bool keepCase = false;
};

std::optional<DateCode> ParseDateCode(std::string_view code);

struct CivilDate {
    std::int64_t year = 1967;
    int month = 12;
    int day = 31;
};

// Days since 31 December 1967 (day 0) and back, on the proleptic Gregorian calendar.
CivilDate CivilFromDayNumber(std::int64_t dayNumber);
std::int64_t DayNumberFromCivil(const CivilDate& date);
int DaysInMonth(std::int64_t year, int month);

}  // namespace mv::values::conv

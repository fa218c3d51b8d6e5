// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mv::values::conv {

// A number as BASIC reads a numeric string, kept as its decimal digits so that no
// length of input can overflow or lose precision: value = digits * 10^-scale.
struct DecimalText {
    bool negative = false;
    std::string digits = "0";  // no leading zeros, "0" for zero
    std::int64_t scale = 0;

    bool IsZero() const { return digits == "0"; }
};

// Blanks around the number, one sign, digits with at most one decimal point and at least
// one digit. Anything else (an exponent, a thousands separator) is not a number here.
std::optional<DecimalText> ParseDecimal(std::string_view text);

// The number times 10^places (places may be negative).
DecimalText ShiftDecimal(DecimalText number, std::int64_t places);

// The number with exactly `decimals` digits after the point (none when 0), rounded half
// away from zero, or cut when `truncate`. No sign: see RoundsToZero and number.negative.
std::string FixedDigits(const DecimalText& number, int decimals, bool truncate);

// True when the number shows as zero with `decimals` digits.
bool RoundsToZero(const DecimalText& number, int decimals, bool truncate);

// The integer part (toward zero) when it fits a 64-bit integer.
std::optional<std::int64_t> IntegerPart(const DecimalText& number);

// -1, 0 or 1 as a is less than, equal to or greater than b.
int CompareDecimal(const DecimalText& a, const DecimalText& b);

// Inserts `separator` between groups of three digits of the integer part of `fixed`.
std::string GroupThousands(std::string_view fixed, char separator);

}  // namespace mv::values::conv

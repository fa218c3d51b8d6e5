// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading numbers out of loosely formatted text, as the constants file needs.
namespace core::NumericText {

// The number at the start of text, read leniently: blanks, tabs and line feeds are
// skipped wherever they stand; then an optional sign, digits, an optional decimal part
// and an optional exponent (E or D); reading stops at the first character that cannot
// continue the number. Text without a number reads as 0. nullopt only when the number
// is too large or too small for a double (an exponent of hundreds of digits' worth).
std::optional<double> Read(std::string_view text);

// The number as decimal text: a whole number as its digits with a leading "-" when
// negative, anything else in the shortest form that reads back exactly.
std::string ToDecimalText(double value);

}  // namespace core::NumericText

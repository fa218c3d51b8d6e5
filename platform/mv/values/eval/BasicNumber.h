// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mv::values {

// A number as BASIC keeps it between operations: exact decimals (up to 38 digits, of
// which up to 18 after the point) so that 0.1 + 0.2 is 0.3 and money adds up to the cent;
// past that range an approximate binary value. Written as text with at most 4 decimals,
// the servers' default precision.
class BasicNumber {
public:
    // A GCC and Clang extension: 38 decimal digits in one integer.
    __extension__ typedef unsigned __int128 Magnitude;

    static constexpr int kMaxScale = 18;  // decimals kept between operations
    static constexpr int kTextScale = 4;  // decimals written as text

    BasicNumber() = default;
    static BasicNumber Integer(long long value);
    static BasicNumber Approximate(long double value);
    // A binary result (of SIN, SQRT, ...) as a number: exact when it is within the exact
    // range, read to 15 significant digits; nullopt when it is not finite.
    static std::optional<BasicNumber> FromBinary(long double value);

    // BASIC's numeric text: an optional sign, digits with an optional point, and an
    // optional exponent (1E3); the empty string is 0. Anything else (blanks included) is
    // not a number.
    static std::optional<BasicNumber> Parse(std::string_view text);

    // At most kTextScale decimals, rounded half away from zero, without trailing zeros.
    std::string Text() const;
    // Rounded (or cut, when truncate) to `decimals` places (from 0), written with exactly
    // that many.
    std::string Fixed(int decimals, bool truncate) const;

    long double ToLongDouble() const;
    // The integer part, or nullopt past the range of long long.
    std::optional<long long> ToInteger() const;
    bool IsZero() const;
    bool IsNegative() const;

    BasicNumber Negated() const;
    BasicNumber Truncated() const;  // toward zero, as INT
    BasicNumber Rounded(int decimals, bool truncate) const;

    // Each gives nullopt when the result is no finite number (a division by zero, an
    // overflow of the approximate range).
    friend std::optional<BasicNumber> Add(const BasicNumber& a, const BasicNumber& b);
    friend std::optional<BasicNumber> Subtract(const BasicNumber& a, const BasicNumber& b);
    friend std::optional<BasicNumber> Multiply(const BasicNumber& a, const BasicNumber& b);
    friend std::optional<BasicNumber> Divide(const BasicNumber& a, const BasicNumber& b);
    friend std::optional<BasicNumber> Power(const BasicNumber& a, const BasicNumber& b);
    // a - INT(a / b) * b: the sign of a.
    friend std::optional<BasicNumber> Remainder(const BasicNumber& a, const BasicNumber& b);
    friend int Compare(const BasicNumber& a, const BasicNumber& b);

private:
    static std::optional<BasicNumber> Normalised(bool negative, Magnitude magnitude, int scale);

    // Largest first: values are moved about by the thousand, and padding would double them.
    Magnitude magnitude_ = 0;
    long double approximateValue_ = 0;
    int scale_ = 0;  // magnitude_ / 10^scale_ is the value
    bool approximate_ = false;
    bool negative_ = false;
};

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "core/NumericText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace core::NumericText {
namespace {

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsExponentMark(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

}  // namespace

std::optional<double> Read(std::string_view text) {
    enum class Stage { Sign, Whole, Fraction, ExponentSign, Exponent };

    // The accepted characters are gathered into plain ASCII and converted at the end,
    // with no locale involved.
    std::string number;
    std::string exponent;
    bool mantissaHasDigit = false;
    Stage stage = Stage::Sign;

    for (const char c : text) {
        if (IsSkipped(c)) {
            continue;
        }
        bool accepted = false;
        switch (stage) {
            case Stage::Sign:
                if (c == '+' || c == '-') {
                    number += c;
                    stage = Stage::Whole;
                    accepted = true;
                    break;
                }
                [[fallthrough]];
            case Stage::Whole:
                if (IsDigit(c)) {
                    number += c;
                    mantissaHasDigit = true;
                    stage = Stage::Whole;
                    accepted = true;
                } else if (c == '.') {
                    number += '.';
                    stage = Stage::Fraction;
                    accepted = true;
                } else if (IsExponentMark(c) && mantissaHasDigit) {
                    stage = Stage::ExponentSign;
                    accepted = true;
                }
                break;
            case Stage::Fraction:
                if (IsDigit(c)) {
                    number += c;
                    mantissaHasDigit = true;
                    accepted = true;
                } else if (IsExponentMark(c) && mantissaHasDigit) {
                    stage = Stage::ExponentSign;
                    accepted = true;
                }
                break;
            case Stage::ExponentSign:
                if (c == '+' || c == '-' || IsDigit(c)) {
                    exponent += c;
                    stage = Stage::Exponent;
                    accepted = true;
                }
                break;
            case Stage::Exponent:
                if (IsDigit(c)) {
                    exponent += c;
                    accepted = true;
                }
                break;
        }
        if (!accepted) {
            break;
        }
    }

    if (!mantissaHasDigit) {
        return 0.0;
    }
    // An exponent mark without digits after it adds nothing to the number.
    if (!exponent.empty() && IsDigit(exponent.back())) {
        number += 'e';
        number += exponent;
    }
    if (number.front() == '+') {
        number.erase(0, 1);  // from_chars takes no plus sign
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

std::string ToDecimalText(double value) {
    // 2^53: every whole number below it is exact in a double and in a 64-bit integer.
    constexpr double kExactWholeLimit = 9007199254740992.0;
    if (std::trunc(value) == value && std::fabs(value) < kExactWholeLimit) {
        return std::to_string(static_cast<long long>(value));
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace core::NumericText

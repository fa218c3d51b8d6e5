// SPDX-License-Identifier: MIT
#include "connection/errornames/NumericText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include <QLocale>

namespace NumericText {
namespace {

bool IsSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsExponentMark(QChar c) {
    return c == u'E' || c == u'e' || c == u'D' || c == u'd';
}

}  // namespace

std::optional<double> Read(QStringView text) {
    enum class Stage { Sign, Whole, Fraction, ExponentSign, Exponent };

    // The accepted characters are gathered into plain ASCII and converted at the end,
    // with no locale involved.
    std::string number;
    std::string exponent;
    bool mantissaHasDigit = false;
    Stage stage = Stage::Sign;

    for (const QChar c : text) {
        if (IsSkipped(c)) {
            continue;
        }
        bool accepted = false;
        switch (stage) {
            case Stage::Sign:
                if (c == u'+' || c == u'-') {
                    number += static_cast<char>(c.unicode());
                    stage = Stage::Whole;
                    accepted = true;
                    break;
                }
                [[fallthrough]];
            case Stage::Whole:
                if (IsDigit(c)) {
                    number += static_cast<char>(c.unicode());
                    mantissaHasDigit = true;
                    stage = Stage::Whole;
                    accepted = true;
                } else if (c == u'.') {
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
                    number += static_cast<char>(c.unicode());
                    mantissaHasDigit = true;
                    accepted = true;
                } else if (IsExponentMark(c) && mantissaHasDigit) {
                    stage = Stage::ExponentSign;
                    accepted = true;
                }
                break;
            case Stage::ExponentSign:
                if (c == u'+' || c == u'-' || IsDigit(c)) {
                    exponent += static_cast<char>(c.unicode());
                    stage = Stage::Exponent;
                    accepted = true;
                }
                break;
            case Stage::Exponent:
                if (IsDigit(c)) {
                    exponent += static_cast<char>(c.unicode());
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
    if (!exponent.empty() && IsDigit(QChar(static_cast<char16_t>(exponent.back())))) {
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

QString ToDecimalText(double value) {
    // 2^53: every whole number below it is exact in a double and in a 64-bit integer.
    constexpr double kExactWholeLimit = 9007199254740992.0;
    if (std::trunc(value) == value && std::fabs(value) < kExactWholeLimit) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace NumericText

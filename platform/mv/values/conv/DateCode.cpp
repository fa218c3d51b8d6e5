// SPDX-License-Identifier: MIT
#include "platform/mv/values/conv/DateCode.h"

namespace mv::values::conv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<DatePartModifier> ParseModifier(std::string_view text) {
    DatePartModifier modifier;
    if (text.empty()) {
        return modifier;
    }
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') &&
        text.back() == text.front()) {
        modifier.kind = DatePartModifier::Kind::kText;
        modifier.text = std::string(text.substr(1, text.size() - 2));
        return modifier;
    }
    std::size_t digitsFrom = 0;
    if (text[0] == 'A') {
        modifier.kind = DatePartModifier::Kind::kAlpha;
        digitsFrom = 1;
    } else if (text[0] == 'Z') {
        modifier.kind = DatePartModifier::Kind::kZeroSuppress;
        digitsFrom = 1;
    } else {
        modifier.kind = DatePartModifier::Kind::kWidth;
    }
    std::string_view digits = text.substr(digitsFrom);
    if (digits.empty()) {
        return modifier.kind == DatePartModifier::Kind::kWidth
                   ? std::nullopt
                   : std::optional<DatePartModifier>(modifier);
    }
    // Two digits are plenty for any part of a date; more is not a width.
    if (digits.size() > 2) {
        return std::nullopt;
    }
    int width = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        width = width * 10 + (c - '0');
    }
    modifier.width = width;
    return modifier;
}

// The text between brackets: modifiers separated by commas; commas inside quotes are text.
std::optional<std::vector<DatePartModifier>> ParseModifiers(std::string_view text) {
    std::vector<DatePartModifier> modifiers;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char c = i < text.size() ? text[i] : ',';
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
            if (i < text.size()) {
                continue;
            }
            return std::nullopt;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ',') {
            auto modifier = ParseModifier(text.substr(start, i - start));
            if (!modifier) {
                return std::nullopt;
            }
            modifiers.push_back(std::move(*modifier));
            start = i + 1;
        }
    }
    return modifiers;
}

}  // namespace

std::optional<DateCode> ParseDateCode(std::string_view code) {
    if (code.empty() || code[0] != 'D') {
        return std::nullopt;
    }
    DateCode date;
    std::size_t i = 1;
    if (i < code.size() && IsDigit(code[i])) {
        date.yearDigits = code[i] - '0';
        if (date.yearDigits > 4) {
            return std::nullopt;
        }
        ++i;
    }
    while (i < code.size()) {
        char c = code[i];
        char next = i + 1 < code.size() ? code[i + 1] : 0;
        if (c == 'Y' || c == 'M' || c == 'D' || c == 'W' || c == 'Q' || c == 'J') {
            DatePart part;
            part.letter = c;
            ++i;
            if ((c == 'M' || c == 'W') && (next == 'A' || next == 'B')) {
                part.names = next;
                ++i;
            } else if (c == 'Y' && IsDigit(next)) {
                part.yearDigits = next - '0';
                if (part.yearDigits > 4) {
                    return std::nullopt;
                }
                ++i;
            } else if (c == 'Y' && next == 'A') {
                return std::nullopt;  // year names are not known here
            }
            date.parts.push_back(part);
        } else if (c == 'E') {
            date.european = !date.european;
            ++i;
        } else if (c == 'L') {
            date.keepCase = true;
            ++i;
        } else if (c == '[') {
            std::size_t close = code.find(']', i);
            if (close == std::string_view::npos || close + 1 != code.size()) {
                return std::nullopt;
            }
            auto modifiers = ParseModifiers(code.substr(i + 1, close - i - 1));
            if (!modifiers) {
                return std::nullopt;
            }
            date.modifiers = std::move(*modifiers);
            i = close + 1;
        } else if (!IsLetter(c) && !IsDigit(c) && date.separator == 0 &&
                   static_cast<unsigned char>(c) < 0x80) {
            date.separator = c;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (date.parts.size() > 5) {
        return std::nullopt;
    }
    return date;
}

// The days-from-civil algorithm (400-year eras starting in March), counted from day 0.
namespace {
constexpr std::int64_t kEraShift = 719468;       // 1 March of year 0 to 1 January 1970
constexpr std::int64_t kDayZeroFrom1970 = -732;  // 31 December 1967
}  // namespace

CivilDate CivilFromDayNumber(std::int64_t dayNumber) {
    std::int64_t z = dayNumber + kDayZeroFrom1970 + kEraShift;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t dayOfEra = z - era * 146097;
    std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

std::int64_t DayNumberFromCivil(const CivilDate& date) {
    std::int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t shiftedMonth = date.month > 2 ? date.month - 3 : date.month + 9;
    std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + date.day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - kEraShift - kDayZeroFrom1970;
}

int DaysInMonth(std::int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace mv::values::conv

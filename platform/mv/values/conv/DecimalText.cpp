// SPDX-License-Identifier: MIT
#include "platform/mv/values/conv/DecimalText.h"

#include <algorithm>
#include <limits>

namespace mv::values::conv {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void StripLeadingZeros(std::string& digits) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        digits = "0";
    } else if (first > 0) {
        digits.erase(0, first);
    }
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The digits of number * 10^decimals as an integer, rounded or cut.
std::string ScaledInteger(const DecimalText& number, int decimals, bool truncate) {
    std::int64_t drop = number.scale - decimals;
    std::string digits = number.digits;
    if (drop <= 0) {
        digits.append(static_cast<std::size_t>(-drop), '0');
    } else if (static_cast<std::uint64_t>(drop) > digits.size()) {
        digits = "0";
    } else {
        std::size_t keep = digits.size() - static_cast<std::size_t>(drop);
        bool roundUp = !truncate && digits[keep] >= '5';
        digits.resize(keep);
        if (digits.empty()) {
            digits = "0";
        }
        if (roundUp) {
            Increment(digits);
        }
    }
    StripLeadingZeros(digits);
    return digits;
}

}  // namespace

std::optional<DecimalText> ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i])) {
        ++i;
    }
    while (end > i && IsBlank(text[end - 1])) {
        --end;
    }
    DecimalText number;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
        number.negative = text[i] == '-';
        ++i;
    }
    std::string digits;
    bool seenPoint = false;
    std::int64_t scale = 0;
    for (; i < end; ++i) {
        char c = text[i];
        if (IsDigit(c)) {
            digits.push_back(c);
            if (seenPoint) {
                ++scale;
            }
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    StripLeadingZeros(digits);
    number.digits = std::move(digits);
    number.scale = scale;
    if (number.IsZero()) {
        number.negative = false;
    }
    return number;
}

DecimalText ShiftDecimal(DecimalText number, std::int64_t places) {
    number.scale -= places;
    return number;
}

std::string FixedDigits(const DecimalText& number, int decimals, bool truncate) {
    std::string digits = ScaledInteger(number, decimals, truncate);
    if (decimals <= 0) {
        return digits;
    }
    std::size_t width = static_cast<std::size_t>(decimals);
    if (digits.size() <= width) {
        digits.insert(0, width + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - width, 1, '.');
    return digits;
}

bool RoundsToZero(const DecimalText& number, int decimals, bool truncate) {
    return ScaledInteger(number, decimals, truncate) == "0";
}

std::optional<std::int64_t> IntegerPart(const DecimalText& number) {
    std::string digits = ScaledInteger(number, 0, true);
    if (digits.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (char c : digits) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > kMax) {
        return std::nullopt;
    }
    auto value = static_cast<std::int64_t>(magnitude);
    return number.negative ? -value : value;
}

int CompareDecimal(const DecimalText& a, const DecimalText& b) {
    if (a.negative != b.negative) {
        return a.negative ? -1 : 1;
    }
    // Both magnitudes at the larger scale, then longer digits are larger.
    std::int64_t scale = std::max(a.scale, b.scale);
    std::string left = a.digits + std::string(static_cast<std::size_t>(scale - a.scale), '0');
    std::string right = b.digits + std::string(static_cast<std::size_t>(scale - b.scale), '0');
    StripLeadingZeros(left);
    StripLeadingZeros(right);
    int magnitude =
        left.size() != right.size() ? (left.size() < right.size() ? -1 : 1) : left.compare(right);
    magnitude = magnitude < 0 ? -1 : magnitude > 0 ? 1 : 0;
    return a.negative ? -magnitude : magnitude;
}

std::string GroupThousands(std::string_view fixed, char separator) {
    std::size_t integerEnd = fixed.find('.');
    if (integerEnd == std::string_view::npos) {
        integerEnd = fixed.size();
    }
    std::string grouped;
    for (std::size_t i = 0; i < integerEnd; ++i) {
        if (i > 0 && (integerEnd - i) % 3 == 0) {
            grouped.push_back(separator);
        }
        grouped.push_back(fixed[i]);
    }
    grouped.append(fixed.substr(integerEnd));
    return grouped;
}

}  // namespace mv::values::conv

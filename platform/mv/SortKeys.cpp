// SPDX-License-Identifier: MIT
#include "SortKeys.h"

#include <cstring>

namespace mv {
namespace {

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number split into the parts that decide its value: digits without leading zeros
// before the point, without trailing zeros after it.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

bool ParseDecimal(std::string_view text, Decimal& number) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    const std::size_t wholeStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    number.whole = text.substr(wholeStart, i - wholeStart);
    if (number.whole.empty()) return false;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        number.fraction = text.substr(fractionStart, i - fractionStart);
        if (number.fraction.empty()) return false;
    }
    if (i != text.size()) return false;
    while (number.whole.size() > 1 && number.whole.front() == '0') number.whole.remove_prefix(1);
    while (!number.fraction.empty() && number.fraction.back() == '0') {
        number.fraction.remove_suffix(1);
    }
    if (number.whole == "0" && number.fraction.empty()) number.negative = false;  // -0 is 0
    return true;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int CompareMagnitude(const Decimal& a, const Decimal& b) {
    if (a.whole.size() != b.whole.size()) return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int c = CompareLeft(a.whole, b.whole)) return c;
    return CompareLeft(a.fraction, b.fraction);  // trailing zeros are gone, so this is exact
}

int CompareDecimal(const Decimal& a, const Decimal& b) {
    if (a.negative != b.negative) return a.negative ? -1 : 1;
    const int c = CompareMagnitude(a, b);
    return a.negative ? -c : c;
}

}  // namespace

bool ResolveSortName(std::string_view name, SortKey& key) {
    key = SortKey{};
    if (EqualsIgnoringCase(name, "@ID")) return true;
    if (EqualsIgnoringCase(name, "TYPE")) {
        key.field = 1;
        return true;
    }
    if (EqualsIgnoringCase(name, "LOC") || EqualsIgnoringCase(name, "RLOCATION")) {
        key.field = 2;
        key.justification = Justification::kRight;
        return true;
    }
    // F1 to F99, written without leading zeros.
    if ((name.size() == 2 || name.size() == 3) && (name[0] == 'F' || name[0] == 'f') &&
        name[1] >= '1' && name[1] <= '9' && (name.size() == 2 || IsDigit(name[2]))) {
        key.field = name[1] - '0';
        if (name.size() == 3) key.field = key.field * 10 + (name[2] - '0');
        return true;
    }
    return false;
}

int CompareLeft(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    if (common > 0) {
        if (const int c = std::memcmp(a.data(), b.data(), common)) return Sign(c);
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareRight(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    Decimal numberA, numberB;
    const bool aIsNumber = ParseDecimal(a, numberA);
    const bool bIsNumber = ParseDecimal(b, numberB);
    if (aIsNumber && bIsNumber) return CompareDecimal(numberA, numberB);
    if (aIsNumber != bIsNumber) return aIsNumber ? -1 : 1;
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return CompareLeft(a, b);
}

}  // namespace mv

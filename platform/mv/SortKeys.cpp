// SPDX-License-Identifier: MIT
#include "platform/mv/SortKeys.h"

#include <cstring>

namespace mv {
namespace {

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits text into the parts of a number (optional sign, digits, optional point and
// digits); false when it is not one.
bool ParseDecimal(std::string_view text, RightKey& key) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t wholeStart = i;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    std::string_view whole = text.substr(wholeStart, i - wholeStart);
    std::string_view fraction;
    if (whole.empty()) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        fraction = text.substr(fractionStart, i - fractionStart);
        if (fraction.empty()) {
            return false;
        }
    }
    if (i != text.size()) {
        return false;
    }
    while (whole.size() > 1 && whole.front() == '0') {
        whole.remove_prefix(1);
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.remove_suffix(1);
    }
    key.negative = negative && !(whole == "0" && fraction.empty());  // -0 is 0
    key.whole = whole;
    key.fraction = fraction;
    return true;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int CompareMagnitude(const RightKey& a, const RightKey& b) {
    if (a.whole.size() != b.whole.size()) {
        return a.whole.size() < b.whole.size() ? -1 : 1;
    }
    if (const int c = CompareLeft(a.whole, b.whole)) {
        return c;
    }
    return CompareLeft(a.fraction, b.fraction);  // trailing zeros are gone, so this is exact
}

}  // namespace

bool ResolveSortName(std::string_view name, SortKey& key) {
    key = SortKey{};
    if (EqualsIgnoringCase(name, "@ID")) {
        return true;
    }
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
        if (name.size() == 3) {
            key.field = key.field * 10 + (name[2] - '0');
        }
        return true;
    }
    return false;
}

int CompareLeft(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    // Sort keys are mostly short: a plain loop beats a library call for them.
    if (common <= 16) {
        for (std::size_t i = 0; i < common; ++i) {
            const auto ca = static_cast<unsigned char>(a[i]);
            const auto cb = static_cast<unsigned char>(b[i]);
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        }
    } else if (const int c = std::memcmp(a.data(), b.data(), common)) {
        return Sign(c);
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

RightKey RightKey::Of(std::string_view text) {
    RightKey key;
    key.text = text;
    if (text.empty()) {
        return key;
    }
    key.rank = ParseDecimal(text, key) ? 1 : 2;
    return key;
}

int CompareRight(const RightKey& a, const RightKey& b) {
    if (a.rank != b.rank) {
        return a.rank < b.rank ? -1 : 1;
    }
    if (a.rank == 1) {
        if (a.negative != b.negative) {
            return a.negative ? -1 : 1;
        }
        const int c = CompareMagnitude(a, b);
        return a.negative ? -c : c;
    }
    if (a.text.size() != b.text.size()) {
        return a.text.size() < b.text.size() ? -1 : 1;
    }
    return CompareLeft(a.text, b.text);
}

int CompareRight(std::string_view a, std::string_view b) {
    return CompareRight(RightKey::Of(a), RightKey::Of(b));
}

}  // namespace mv

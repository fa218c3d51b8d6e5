// SPDX-License-Identifier: MIT
// The G, L and R conversions: a group of a delimited value, a value of a length, a number
// in a range. Each gives the same on output and input; a value that does not qualify
// gives an empty value, not valid.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/DecimalText.h"

namespace mv::values::conv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits at `at` as a count, capped (no value has more groups or characters than this).
std::optional<std::size_t> ReadCount(std::string_view text, std::size_t& at) {
    constexpr std::size_t kCap = std::size_t{1} << 40;
    if (at >= text.size() || !IsDigit(text[at])) {
        return std::nullopt;
    }
    std::size_t n = 0;
    while (at < text.size() && IsDigit(text[at])) {
        n = std::min(n * 10 + static_cast<std::size_t>(text[at++] - '0'), kCap);
    }
    return n;
}

Converted NotQualified() {
    return {{}, {}, false};
}

}  // namespace

// G[skip]<delimiter><count>: `count` groups after the first `skip`, delimiter kept
// between them.
std::optional<Converted> ConvertGroup(std::string_view value, std::string_view code) {
    std::size_t at = 1;
    std::size_t skip = 0;
    if (at < code.size() && IsDigit(code[at])) {
        skip = *ReadCount(code, at);
    }
    if (at + 1 >= code.size()) {
        return std::nullopt;
    }
    char delimiter = code[at++];
    auto count = ReadCount(code, at);
    if (!count || at != code.size()) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (std::size_t group = 0; group < skip; ++group) {
        std::size_t next = value.find(delimiter, start);
        if (next == std::string_view::npos) {
            return Converted{};
        }
        start = next + 1;
    }
    std::size_t end = start;
    for (std::size_t group = 0; group < *count; ++group) {
        std::size_t next = value.find(delimiter, end);
        if (next == std::string_view::npos) {
            end = value.size();
            break;
        }
        end = group + 1 < *count ? next + 1 : next;
    }
    if (*count == 0) {
        return Converted{};
    }
    return Converted{std::string(value.substr(start, end - start)), {}, true};
}

// L0 (or L): the length; Ln: the value when it has at most n characters; Ln,m: when it has
// n to m characters.
std::optional<Converted> ConvertLength(std::string_view value, std::string_view code) {
    if (code == "L" || code == "L0") {
        return Converted{std::to_string(value.size()), {}, true};
    }
    std::size_t at = 1;
    auto low = ReadCount(code, at);
    if (!low) {
        return std::nullopt;
    }
    std::size_t high = *low;
    std::size_t minimum = 0;
    if (at < code.size() && code[at] == ',') {
        ++at;
        auto upper = ReadCount(code, at);
        if (!upper) {
            return std::nullopt;
        }
        minimum = *low;
        high = *upper;
    }
    if (at != code.size()) {
        return std::nullopt;
    }
    if (value.size() < minimum || value.size() > high) {
        return NotQualified();
    }
    return Converted{std::string(value), {}, true};
}

// Rn,m[;n,m]...: the value when it is a number within one of the ranges.
std::optional<Converted> ConvertRange(std::string_view value, std::string_view code) {
    std::vector<std::pair<DecimalText, DecimalText>> ranges;
    std::string_view rest = code.substr(1);
    while (true) {
        std::size_t end = rest.find(';');
        std::string_view range = rest.substr(0, end);
        // The comma between the bounds; a bound may itself start with a minus.
        std::size_t comma = range.find(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        auto low = ParseDecimal(range.substr(0, comma));
        auto high = ParseDecimal(range.substr(comma + 1));
        if (!low || !high) {
            return std::nullopt;
        }
        ranges.emplace_back(*low, *high);
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    if (value.empty()) {
        return Converted{};
    }
    auto number = ParseDecimal(value);
    if (!number) {
        return NotQualified();
    }
    for (const auto& [low, high] : ranges) {
        if (CompareDecimal(*number, low) >= 0 && CompareDecimal(*number, high) <= 0) {
            return Converted{std::string(value), {}, true};
        }
    }
    return NotQualified();
}

}  // namespace mv::values::conv

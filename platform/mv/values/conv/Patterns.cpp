// SPDX-License-Identifier: MIT
// The P conversion: the value when it matches one of the patterns, as BASIC's MATCHES
// reads them.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/mv/values/conv/Converters.h"

namespace mv::values::conv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One element of a pattern: `min` to `max` characters of a class, or a literal text.
struct PatternElement {
    char kind = 'X';  // 'N' digit, 'A' letter, 'X' any, 'L' literal
    std::size_t min = 0;
    std::size_t max = 0;  // SIZE_MAX: no limit (0N)
    std::string literal;
};

bool InClass(char kind, char c) {
    auto byte = static_cast<unsigned char>(c);
    if (kind == 'N') {
        return byte >= '0' && byte <= '9';
    }
    if (kind == 'A') {
        return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    }
    return true;
}

char ClassLetter(char c) {
    char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return upper == 'N' || upper == 'A' || upper == 'X' ? upper : 0;
}

std::size_t ReadNumber(std::string_view text, std::size_t& at) {
    std::size_t n = 0;
    while (at < text.size() && IsDigit(text[at])) {
        n = std::min<std::size_t>(n * 10 + static_cast<std::size_t>(text[at++] - '0'), 1u << 30);
    }
    return n;
}

// nN nA nX, n-mN (a range), 0N (any number), 'text' "text" \text\, any other character
// as itself.
std::optional<std::vector<PatternElement>> ParsePattern(std::string_view text) {
    std::vector<PatternElement> elements;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '\'' || c == '"' || c == '\\') {
            std::size_t close = text.find(c, i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            elements.push_back({'L', 0, 0, std::string(text.substr(i + 1, close - i - 1))});
            i = close + 1;
            continue;
        }
        if (IsDigit(c)) {
            std::size_t at = i;
            std::size_t min = ReadNumber(text, at);
            std::size_t max = min;
            if (at + 1 < text.size() && text[at] == '-' && IsDigit(text[at + 1])) {
                std::size_t rangeEnd = at + 1;
                std::size_t upper = ReadNumber(text, rangeEnd);
                if (rangeEnd < text.size() && ClassLetter(text[rangeEnd]) != 0 && upper >= min) {
                    max = upper;
                    at = rangeEnd;
                }
            }
            if (at < text.size() && ClassLetter(text[at]) != 0) {
                char kind = ClassLetter(text[at]);
                if (min == 0 && max == 0) {
                    max = SIZE_MAX;
                }
                elements.push_back({kind, min, max, {}});
                i = at + 1;
                continue;
            }
            elements.push_back({'L', 0, 0, std::string(text.substr(i, at - i))});
            i = at;
            continue;
        }
        elements.push_back({'L', 0, 0, std::string(1, c)});
        ++i;
    }
    return elements;
}

// Where the value can stand after each element: a set of positions carried element by
// element, so any pattern costs at most elements times value length.
bool Matches(std::string_view value, const std::vector<PatternElement>& elements) {
    std::size_t n = value.size();
    std::vector<char> reachable(n + 1, 0);
    reachable[0] = 1;
    std::vector<char> next(n + 1);
    std::vector<std::size_t> reachableBefore(n + 2);
    for (const PatternElement& element : elements) {
        std::fill(next.begin(), next.end(), 0);
        if (element.kind == 'L') {
            std::size_t length = element.literal.size();
            for (std::size_t i = 0; i + length <= n; ++i) {
                if (reachable[i] && value.compare(i, length, element.literal) == 0) {
                    next[i + length] = 1;
                }
            }
        } else {
            // next[j] when some reachable i has j - i within [min, max] and every character
            // from i to j is of the class: i >= j - run(j), where run(j) counts the class
            // characters ending at j.
            for (std::size_t i = 0; i <= n; ++i) {
                reachableBefore[i + 1] = reachableBefore[i] + (reachable[i] ? 1 : 0);
            }
            std::size_t run = 0;
            for (std::size_t j = 0; j <= n; ++j) {
                if (j > 0) {
                    run = InClass(element.kind, value[j - 1]) ? run + 1 : 0;
                }
                std::size_t longest = std::min(run, element.max);
                if (longest < element.min || j < element.min) {
                    continue;
                }
                std::size_t from = j - longest;
                std::size_t to = j - element.min;
                next[j] = reachableBefore[to + 1] > reachableBefore[from] ? 1 : 0;
            }
        }
        reachable.swap(next);
    }
    return reachable[n] != 0;
}

// The patterns of P(...)[;(...)]...: each in parentheses, separated by ; or /.
std::optional<std::vector<std::vector<PatternElement>>> ParsePatterns(std::string_view code) {
    std::vector<std::vector<PatternElement>> patterns;
    std::size_t i = 1;
    while (i < code.size()) {
        if (code[i] != '(') {
            return std::nullopt;
        }
        // The closing parenthesis: the next one outside quotes.
        std::size_t close = i + 1;
        char quote = 0;
        for (; close < code.size(); ++close) {
            char c = code[close];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '\'' || c == '"' || c == '\\') {
                quote = c;
            } else if (c == ')') {
                break;
            }
        }
        if (close >= code.size()) {
            return std::nullopt;
        }
        auto pattern = ParsePattern(code.substr(i + 1, close - i - 1));
        if (!pattern) {
            return std::nullopt;
        }
        patterns.push_back(std::move(*pattern));
        i = close + 1;
        if (i < code.size()) {
            if (code[i] != ';' && code[i] != '/') {
                return std::nullopt;
            }
            ++i;
        }
    }
    if (patterns.empty()) {
        return std::nullopt;
    }
    return patterns;
}

}  // namespace

std::optional<Converted> ConvertPattern(std::string_view value, std::string_view code) {
    auto patterns = ParsePatterns(code);
    if (!patterns) {
        return std::nullopt;
    }
    if (value.empty()) {
        return Converted{};
    }
    for (const auto& pattern : *patterns) {
        if (Matches(value, pattern)) {
            return Converted{std::string(value), {}, true};
        }
    }
    return Converted{{}, {}, false};
}

}  // namespace mv::values::conv

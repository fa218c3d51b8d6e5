// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/PatternMatch.h"

#include <algorithm>
#include <vector>

#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/Value.h"

namespace mv::values {
namespace {

constexpr long kUnbounded = -1;

struct Element {
    char kind = 0;  // 'N', 'A', 'X', or 0 for literal text
    long least = 0;
    long most = 0;  // kUnbounded for 0N, 0A, 0X
    std::string literal;
};

bool InClass(char kind, char c) {
    switch (kind) {
        case 'N':
            return c >= '0' && c <= '9';
        case 'A':
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        default:
            return true;
    }
}

char ClassAt(std::string_view pattern, std::size_t at) {
    if (at >= pattern.size()) {
        return 0;
    }
    const char c = static_cast<char>(pattern[at] & ~0x20);
    return c == 'N' || c == 'A' || c == 'X' ? c : 0;
}

long ReadCount(std::string_view pattern, std::size_t& at) {
    long n = 0;
    while (at < pattern.size() && pattern[at] >= '0' && pattern[at] <= '9') {
        n = n < 1'000'000'000 ? n * 10 + (pattern[at] - '0') : n;
        ++at;
    }
    return n;
}

std::vector<Element> Elements(std::string_view pattern) {
    std::vector<Element> elements;
    const auto literal = [&elements](std::string_view text) {
        if (elements.empty() || elements.back().kind != 0) {
            elements.emplace_back();
        }
        elements.back().literal += text;
    };
    std::size_t at = 0;
    while (at < pattern.size()) {
        const char c = pattern[at];
        if (c == '\'' || c == '"') {
            const std::size_t close = pattern.find(c, at + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            literal(pattern.substr(at + 1, end - at - 1));
            at = end == pattern.size() ? end : end + 1;
            continue;
        }
        if (c >= '0' && c <= '9') {
            std::size_t after = at;
            const long least = ReadCount(pattern, after);
            long most = least;
            std::size_t code = after;
            if (after < pattern.size() && pattern[after] == '-') {
                std::size_t upper = after + 1;
                if (upper < pattern.size() && pattern[upper] >= '0' && pattern[upper] <= '9') {
                    most = ReadCount(pattern, upper);
                    code = upper;
                }
            }
            if (const char kind = ClassAt(pattern, code)) {
                Element element;
                element.kind = kind;
                element.least = least;
                element.most = least == 0 && most == 0 ? kUnbounded : most;
                elements.push_back(element);
                at = code + 1;
                continue;
            }
            literal(pattern.substr(at, after - at));
            at = after;
            continue;
        }
        literal(pattern.substr(at, 1));
        ++at;
    }
    return elements;
}

using Reach = std::vector<char>;  // reach[p]: the elements so far can end at p

// Where element can end, from where the elements before it ended.
Reach Advance(std::string_view text, const Element& element, const Reach& from, Costs& costs) {
    const std::size_t size = text.size();
    costs.Step(size);
    Reach to(size + 1, 0);
    if (element.kind == 0) {
        // Each start may compare the whole literal.
        costs.Step(size * std::min(element.literal.size(), size));
        for (std::size_t p = 0; p <= size; ++p) {
            if (from[p] && text.substr(p).starts_with(element.literal)) {
                to[p + element.literal.size()] = 1;
            }
        }
        return to;
    }
    // to[q] holds when some start p with from[p] lies in [q - most, q - least] and every
    // byte between p and q is of the class: the latest start at or before q - least, and
    // the first byte after the last one outside the class, decide it in one pass.
    long latest = -1;  // the latest p with from[p], up to q - least
    long run = 0;      // the first position after the last byte outside the class
    for (std::size_t q = 0; q <= size; ++q) {
        const long end = static_cast<long>(q);
        if (q > 0 && !InClass(element.kind, text[q - 1])) {
            run = end;
        }
        const long startLimit = end - element.least;
        if (startLimit >= 0 && from[static_cast<std::size_t>(startLimit)]) {
            latest = startLimit;
        }
        if (latest < 0 || startLimit < 0) {
            continue;
        }
        const long lowest = element.most == kUnbounded ? 0 : end - element.most;
        if (latest >= run && latest >= lowest) {
            to[q] = 1;
        }
    }
    return to;
}

// The reach after each element of one alternative: reaches[i] before element i.
std::vector<Reach> Reaches(std::string_view text, const std::vector<Element>& elements,
                           Costs& costs) {
    costs.Fits((elements.size() + 1) * (text.size() + 1));
    std::vector<Reach> reaches;
    Reach start(text.size() + 1, 0);
    start[0] = 1;
    reaches.push_back(std::move(start));
    for (const Element& element : elements) {
        reaches.push_back(Advance(text, element, reaches.back(), costs));
    }
    return reaches;
}

bool Fits(std::string_view text, std::size_t p, std::size_t q, const Element& element) {
    const std::string_view part = text.substr(p, q - p);
    if (element.kind == 0) {
        return part == element.literal;
    }
    const auto length = static_cast<long>(part.size());
    if (length < element.least || (element.most != kUnbounded && length > element.most)) {
        return false;
    }
    for (const char c : part) {
        if (!InClass(element.kind, c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool Matches(std::string_view text, std::string_view pattern, Costs& costs) {
    costs.FitsParts(pattern, kValueMark, sizeof(std::string_view));
    for (const std::string_view alternative : SplitOn(pattern, kValueMark)) {
        const std::vector<Element> elements = Elements(alternative);
        Reach reach(text.size() + 1, 0);
        reach[0] = 1;
        for (const Element& element : elements) {
            reach = Advance(text, element, reach, costs);
        }
        if (reach[text.size()]) {
            return true;
        }
    }
    return false;
}

std::string MatchField(std::string_view text, std::string_view pattern, long n, Costs& costs) {
    costs.FitsParts(pattern, kValueMark, sizeof(std::string_view));
    for (const std::string_view alternative : SplitOn(pattern, kValueMark)) {
        const std::vector<Element> elements = Elements(alternative);
        const std::vector<Reach> reaches = Reaches(text, elements, costs);
        if (!reaches.back()[text.size()]) {
            continue;
        }
        if (n < 1 || n > static_cast<long>(elements.size())) {
            return {};
        }
        // Back from the end, each element takes the latest start that the ones before it
        // can reach, so earlier elements match as much as they can.
        std::size_t end = text.size();
        for (std::size_t i = elements.size(); i-- > 0;) {
            std::size_t start = end + 1;
            for (std::size_t p = end + 1; p-- > 0;) {
                costs.Step(end - p);
                if (reaches[i][p] && Fits(text, p, end, elements[i])) {
                    start = p;
                    break;
                }
            }
            if (static_cast<long>(i) == n - 1) {
                return std::string(text.substr(start, end - start));
            }
            end = start;
        }
    }
    return {};
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "platform/mv/SelectConditions.h"

#include "platform/mv/RecordFormat.h"

namespace mv {
namespace {

// Compares a value of the record with a value of the condition: by value when both are
// numbers, else byte by byte.
int Compare(std::string_view value, std::string_view wanted) {
    const RightKey a = RightKey::Of(value);
    const RightKey b = RightKey::Of(wanted);
    if (a.rank == 1 && b.rank == 1) {
        return CompareRight(a, b);
    }
    return CompareLeft(value, wanted);
}

// "..." matches any run of bytes, everything else itself.
bool Like(std::string_view text, std::string_view pattern) {
    constexpr std::string_view kAny = "...";
    const std::size_t first = pattern.find(kAny);
    if (first == std::string_view::npos) {
        return text == pattern;
    }
    if (text.substr(0, first) != pattern.substr(0, first)) {
        return false;
    }
    text.remove_prefix(first);
    pattern.remove_prefix(first + kAny.size());
    // Each later piece is found at its first place; the last must end the text.
    for (;;) {
        const std::size_t next = pattern.find(kAny);
        if (next == std::string_view::npos) {
            return text.size() >= pattern.size() &&
                   text.substr(text.size() - pattern.size()) == pattern;
        }
        const std::size_t at = text.find(pattern.substr(0, next));
        if (at == std::string_view::npos) {
            return false;
        }
        text.remove_prefix(at + next);
        pattern.remove_prefix(next + kAny.size());
    }
}

bool Meets(std::string_view value, Comparison comparison, std::string_view wanted) {
    switch (comparison) {
        case Comparison::kPresent:
            return !value.empty();
        case Comparison::kEqual:
            return Compare(value, wanted) == 0;
        case Comparison::kNotEqual:
            return Compare(value, wanted) != 0;
        case Comparison::kLess:
            return Compare(value, wanted) < 0;
        case Comparison::kGreater:
            return Compare(value, wanted) > 0;
        case Comparison::kLessOrEqual:
            return Compare(value, wanted) <= 0;
        case Comparison::kGreaterOrEqual:
            return Compare(value, wanted) >= 0;
        case Comparison::kLike:
            return Like(value, wanted);
        case Comparison::kUnlike:
            return !Like(value, wanted);
    }
    return false;
}

bool AnyValueMeets(std::string_view field, const Condition& condition) {
    for (;;) {
        const std::size_t end = field.find_first_of(std::string_view("\xFD\xFC", 2));
        const std::string_view value = field.substr(0, end);
        if (condition.comparison == Comparison::kPresent) {
            if (Meets(value, condition.comparison, {})) {
                return true;
            }
        }
        for (const std::string& wanted : condition.values) {
            if (Meets(value, condition.comparison, wanted)) {
                return true;
            }
        }
        if (end == std::string_view::npos) {
            return false;
        }
        field.remove_prefix(end + 1);
    }
}

bool Holds(const Condition& condition, std::string_view id, std::string_view record) {
    const std::string_view field =
        condition.field.field == 0 ? id : FieldText(record, condition.field.field);
    return AnyValueMeets(field, condition) != condition.negated;
}

}  // namespace

bool Selects(const Selection& selection, std::string_view id, std::string_view record) {
    if (selection.Empty()) {
        return true;
    }
    for (const std::vector<Condition>& group : selection.anyOf) {
        bool all = true;
        for (const Condition& condition : group) {
            if (!Holds(condition, id, record)) {
                all = false;
                break;
            }
        }
        if (all) {
            return true;
        }
    }
    return false;
}

}  // namespace mv

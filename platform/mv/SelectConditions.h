// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/SortKeys.h"

namespace mv {

enum class Comparison {
    kPresent,  // WITH name: the field holds something
    kEqual,
    kNotEqual,
    kLess,
    kGreater,
    kLessOrEqual,
    kGreaterOrEqual,
    kLike,  // "..." in the pattern stands for any run of bytes
    kUnlike,
};

// One WITH condition: a field compared with one or more values, true when any value of the
// field (values and subvalues taken one by one) meets any of them.
struct Condition {
    std::string name;  // as written
    SortKey field;     // what the name resolves to; the id when field.field is 0
    bool resolved = false;
    bool negated = false;  // NOT or NO before the name
    Comparison comparison = Comparison::kPresent;
    std::vector<std::string> values;  // without their quotes
};

// WITH clauses joined by AND and OR, AND binding closer: the record is selected when all
// the conditions of any one group hold. No group selects every record.
struct Selection {
    std::vector<std::vector<Condition>> anyOf;
    bool Empty() const { return anyOf.empty(); }
};

// Whether a record meets the selection. Two numbers compare by value, anything else
// byte by byte.
bool Selects(const Selection& selection, std::string_view id, std::string_view record);

}  // namespace mv

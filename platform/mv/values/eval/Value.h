// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/mv/values/eval/BasicNumber.h"

namespace mv::values {

// One value of an expression: its text, and when arithmetic made it, the number at full
// precision (the text then shows it rounded to 4 decimals, as BASIC writes numbers).
struct Value {
    std::string text;
    std::optional<BasicNumber> number;
    bool reuse = false;  // REUSE(): an ...S function repeats its last element when short

    static Value Text(std::string text) {
        Value v;
        v.text = std::move(text);
        return v;
    }
    static Value Number(const BasicNumber& n) {
        Value v;
        v.text = n.Text();
        v.number = n;
        return v;
    }
    static Value Integer(long long n) { return Number(BasicNumber::Integer(n)); }
    static Value Boolean(bool b) { return Integer(b ? 1 : 0); }
};

// The system delimiters.
inline constexpr char kItemMark = '\xFF';
inline constexpr char kFieldMark = '\xFE';
inline constexpr char kValueMark = '\xFD';
inline constexpr char kSubvalueMark = '\xFC';
inline constexpr char kTextMark = '\xFB';
// The null value of the servers' BASIC.
inline constexpr char kNullValue = '\x80';

}  // namespace mv::values

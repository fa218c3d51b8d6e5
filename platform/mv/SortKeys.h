// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace mv {

enum class Justification { kLeft, kRight };

// One BY or BY.DSND clause, resolved through the dictionary of dictionaries.
struct SortKey {
    int field = 0;  // 0 is the item id, n is field n of the record
    Justification justification = Justification::kLeft;
    bool descending = false;
};

// The built-in dictionary of dictionaries: @ID (the id), F1 to F99 (field n), TYPE
// (field 1), LOC and RLOCATION (field 2, right-justified). Names match without regard to
// letter case. False for any other name.
bool ResolveSortName(std::string_view name, SortKey& key);

// Left-justified order: byte by byte, bytes unsigned. Negative, zero or positive.
int CompareLeft(std::string_view a, std::string_view b);

// Right-justified order: empty text first, then numbers (optional sign, digits, optional
// decimal part) by value, then all other text, shorter first and equal lengths byte by
// byte. Numbers and other text are kept apart so the order stays consistent: comparing
// a number with text by length would put 5 < A < -1 < 5, which no sort can honour.
int CompareRight(std::string_view a, std::string_view b);

// A text as the right-justified order sees it, worked out once for many comparisons.
struct RightKey {
    std::string_view text;
    int rank = 0;  // 0 empty, 1 number, 2 other text
    bool negative = false;
    std::string_view whole, fraction;  // of a number, without leading / trailing zeros

    static RightKey Of(std::string_view text);
};
int CompareRight(const RightKey& a, const RightKey& b);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mv {

// The names the expression language itself defines: functions, @-variables and the
// keywords that work as operators. All are taken without regard to letter case;
// item names, by contrast, must match exactly.

struct FunctionInfo {
    std::string_view name;  // in capitals, as it is written to the compiled form
    int least = 0;          // fewest arguments
    int most = 0;           // most arguments
};

// The function called `name`, or null when the language has none of that name.
const FunctionInfo* FindFunction(std::string_view name);

// Every function of the language, sorted by name.
std::span<const FunctionInfo> AllFunctions();

// The @-variable `name` (the text after the @) in capitals, or nullopt when unknown.
std::optional<std::string> CanonicalAtVariable(std::string_view name);

// True for the words that are operators or parts of IF: they never name an item.
bool IsKeyword(std::string_view capitals);

}  // namespace mv

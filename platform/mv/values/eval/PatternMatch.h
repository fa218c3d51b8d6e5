// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/mv/values/eval/Costs.h"

namespace mv::values {

// MATCHES: does all of text fit the pattern (nN digits, nA letters, nX anything, n-mN
// ranges, 0 for any number, quoted or other literal text; alternatives separated by value
// marks)? Takes time in step with the text's length times the pattern's, counted as steps.
bool Matches(std::string_view text, std::string_view pattern, Costs& costs);

// MATCHFIELD: the part of text that the n-th element of the pattern matched, or empty when
// the text does not match.
std::string MatchField(std::string_view text, std::string_view pattern, long n, Costs& costs);

}  // namespace mv::values

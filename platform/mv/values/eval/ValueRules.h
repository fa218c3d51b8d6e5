// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "platform/mv/values/eval/BasicNumber.h"
#include "platform/mv/values/eval/Costs.h"
#include "platform/mv/values/eval/Value.h"

namespace mv::values {

// How BASIC reads a value where it needs a number: the number arithmetic made, or the
// text when it is numeric; any other text counts as 0, with a warning.
BasicNumber NumberOf(const Value& value, Costs& costs);
// The same for text that arithmetic did not make (an element of an array).
BasicNumber NumberOf(std::string_view text, Costs& costs);
// a + b, or 0 with a warning when the sum is out of range (as NumberOrZero).
BasicNumber SumOrZero(const BasicNumber& a, const BasicNumber& b, Costs& costs);
// The integer part of NumberOf, held within the range of long.
long IntegerOf(const Value& value, Costs& costs);
// True when the number is not 0.
bool TruthOf(const Value& value, Costs& costs);
// True when the text reads as a number without a warning (the empty text does).
bool IsNumeric(const Value& value);

// A comparison of BASIC: by number when both are numeric and neither is empty, else by
// bytes. Negative, 0 or positive.
int CompareValues(const Value& a, const Value& b);

// + - * / ^ of BASIC; a division by zero, or a result out of range, is 0 with a warning.
Value Arithmetic(char op, const Value& a, const Value& b, Costs& costs);
// A result of arithmetic, or 0 with a warning when there is none.
Value NumberOrZero(const std::optional<BasicNumber>& result, Costs& costs, bool division);

// The text as a warning shows it: cut at a readable length.
std::string Shown(std::string_view text);

}  // namespace mv::values

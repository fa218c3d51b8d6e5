// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/mv/values/eval/RecordEvaluation.h"
#include "platform/mv/values/eval/ValueRules.h"

namespace mv::values {

// The arguments of one call of a function, with what a function may ask of the record's
// evaluation.
struct FunctionCall {
    RecordEvaluation& evaluation;
    RecordScope& scope;
    std::span<Value> args;

    Costs& costs() { return evaluation.costs(); }
    std::size_t Count() const { return args.size(); }
    const std::string& Text(std::size_t i) const { return args[i].text; }
    BasicNumber Number(std::size_t i) { return NumberOf(args[i], costs()); }
    long Integer(std::size_t i) { return IntegerOf(args[i], costs()); }
    // Argument i as an integer, or `absent` when the call has fewer arguments.
    long IntegerOr(std::size_t i, long absent) { return i < args.size() ? Integer(i) : absent; }
    // A text about to be made of `bytes`: counted as work and held within the text limit.
    void WillMake(std::size_t bytes) {
        costs().Step(bytes);
        costs().Fits(bytes);
    }
};

using FunctionBody = Value (*)(FunctionCall&);
using FunctionTable = std::unordered_map<std::string_view, FunctionBody>;

// The functions of each kind add themselves to the table.
void AddNumericFunctions(FunctionTable& table);
void AddStringFunctions(FunctionTable& table);
void AddArrayFunctions(FunctionTable& table);
void AddElementFunctions(FunctionTable& table);
void AddContextFunctions(FunctionTable& table);

// The function `name` (in capitals, as the parser writes it), or null when none is
// implemented.
FunctionBody FindFunctionBody(std::string_view name);

}  // namespace mv::values

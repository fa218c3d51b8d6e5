// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/compiler/ExprParser.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {

struct CompileResult {
    bool ok = false;
    std::size_t column = 0;    // of the error, from 1; 0 when ok
    std::string message;       // what was expected or is unknown; empty when ok
    std::string expressions;   // field 10 of the compiled form (see CompiledForm.h)
    std::string dependencies;  // field 11
    // The items used, with where each is first named (on failure, those before the error).
    std::vector<Dependency> uses;
};

// Compiles the expressions of an I- or V-descriptor (field 2), checking every name
// against the dictionary through `names`. Pure: nothing is read but through `names`,
// nothing is written, and nothing in the expression is ever run. An expression longer
// than kMaxExpressionBytes fails at once, with the column just past the limit.
CompileResult CompileExpression(std::string_view source, NameResolver& names);

}  // namespace mv

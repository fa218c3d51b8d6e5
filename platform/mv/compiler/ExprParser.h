// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/mv/compiler/ExprLexer.h"
#include "platform/mv/compiler/ExprTree.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {

// A dictionary item an expression uses, with where it is first named.
struct Dependency {
    std::string name;
    std::size_t offset = 0;
};

struct ParseOutcome {
    bool ok = false;
    std::size_t offset = 0;  // where the error is, from 0
    std::string message;
};

// Parses the tokens of a descriptor's expressions (separated by ';') into tree, checking
// every name against the dictionary as it goes; stops at the first error. Dependencies
// receives the items named, each once, in order of first use (on failure, those named
// before the error). Nothing is evaluated.
ParseOutcome ParseExpressions(std::vector<Token>& tokens, NameResolver& names, ExprTree& tree,
                              std::vector<Dependency>& dependencies);

}  // namespace mv

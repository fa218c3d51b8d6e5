// SPDX-License-Identifier: MIT
#pragma once

#include "platform/mv/compiler/ExprParser.h"
#include "platform/mv/compiler/ExprTree.h"
#include "platform/mv/values/Evaluator.h"

namespace mv::values {

// One descriptor's expressions as parsed, or where and why the parse stopped.
struct ParseCache::Parsed {
    ExprTree tree;
    ParseOutcome outcome;
};

}  // namespace mv::values

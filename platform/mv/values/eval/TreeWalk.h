// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/mv/compiler/ExprTree.h"
#include "platform/mv/values/eval/RecordEvaluation.h"

namespace mv::values {

// Evaluates a parsed descriptor on one record: each expression of the ';' list in turn,
// @n naming the value of the n-th. The tree is walked with a stack of its own, never by
// recursion, since the parser leaves chains of operators as deep as they are long.
class TreeWalk {
public:
    TreeWalk(const ExprTree& tree, RecordEvaluation& evaluation, RecordScope& scope,
             const std::string* item)
        : tree_(tree), evaluation_(evaluation), scope_(scope), item_(item) {}

    // The value of the last expression.
    Value Run();

private:
    struct Frame {
        int node;
        std::size_t next;  // the child to evaluate next; for IF, its stage
        std::size_t base;  // where the node's operands start on the value stack
    };

    Value Evaluate(int root);
    Value Leaf(const ExprNode& node);
    Value AtVariable(const std::string& name);
    Value Operator(const ExprNode& node, std::size_t base);
    Value Extraction(std::size_t base, std::size_t count);
    Value Substring(std::size_t base, std::size_t count);
    Value Call(const ExprNode& node, std::size_t base);
    void Push(Value value);

    const ExprTree& tree_;
    RecordEvaluation& evaluation_;
    RecordScope& scope_;
    const std::string* item_;
    std::vector<Frame> frames_;
    std::vector<Value> values_;
    std::vector<Value> results_;
};

}  // namespace mv::values

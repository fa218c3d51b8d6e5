// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
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
             const std::string* item);
    ~TreeWalk();
    TreeWalk(const TreeWalk&) = delete;
    TreeWalk& operator=(const TreeWalk&) = delete;

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

    // The walk's stacks, borrowed from those earlier walks of the thread gave back, so a
    // listing of thousands of records does not allocate them for each expression.
    struct Stacks {
        std::vector<Frame> frames;
        std::vector<Value> values;
        std::vector<Value> results;  // of the statements before the current one (@1, @2, ...)
    };
    static std::vector<std::unique_ptr<Stacks>>& SpareStacks();
    static std::unique_ptr<Stacks> BorrowStacks();
    static void GiveBack(std::unique_ptr<Stacks> stacks);

    const ExprTree& tree_;
    RecordEvaluation& evaluation_;
    RecordScope& scope_;
    const std::string* item_;
    std::unique_ptr<Stacks> stacks_;
    std::vector<Frame>& frames_;
    std::vector<Value>& values_;
    std::vector<Value>& results_;
};

}  // namespace mv::values

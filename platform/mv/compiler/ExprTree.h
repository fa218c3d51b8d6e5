// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mv {

enum class NodeKind {
    kNumber,      // text: the number as written
    kString,      // text: the content, without delimiters
    kName,        // text: the item name
    kAtVariable,  // text: the variable in capitals, without the @
    kResult,      // text: the number of the earlier expression, without the @
    kOperator,    // text: the canonical operator; one child (unary) or two
    kIf,          // children: condition, then, else
    kCall,        // text: the function in capitals; children: the arguments
    kExtract,     // children: the operand, then 1 to 3 positions
    kSubstring,   // children: the operand, then 1 to 3 arguments
};

struct ExprNode {
    NodeKind kind = NodeKind::kNumber;
    std::string text;
    std::vector<int> children;  // indexes into ExprTree::nodes
    std::size_t offset = 0;     // where the node's token starts in the source
};

// The parsed expressions of one descriptor. Nodes live in one vector and refer to
// each other by index, so no tree is ever freed or walked by deep recursion.
struct ExprTree {
    std::vector<ExprNode> nodes;
    std::vector<int> statements;  // the root of each expression separated by ';'

    int Add(ExprNode node) {
        nodes.push_back(std::move(node));
        return static_cast<int>(nodes.size()) - 1;
    }
};

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/ExpressionCompiler.h"

#include "platform/mv/compiler/CompileLimits.h"
#include "platform/mv/compiler/CompileMessages.h"
#include "platform/mv/compiler/CompiledForm.h"
#include "platform/mv/compiler/ExprLexer.h"
#include "platform/mv/compiler/ExprTree.h"

namespace mv {

CompileResult CompileExpression(std::string_view source, NameResolver& names) {
    CompileResult result;
    if (source.size() > kMaxExpressionBytes) {
        result.column = kMaxExpressionBytes + 1;
        result.message = messages::TooLong(kMaxExpressionBytes);
        return result;
    }
    std::vector<Token> tokens = Tokenize(
        source, [&names](std::string_view name) { return names.TypeCode(name).has_value(); });
    ExprTree tree;
    const ParseOutcome outcome = ParseExpressions(tokens, names, tree, result.uses);
    if (!outcome.ok) {
        result.column = outcome.offset + 1;
        result.message = outcome.message;
        return result;
    }
    result.ok = true;
    result.expressions = EncodeExpressions(tree);
    result.dependencies = EncodeDependencies(result.uses);
    return result;
}

}  // namespace mv

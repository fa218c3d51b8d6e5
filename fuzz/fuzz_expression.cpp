// SPDX-License-Identifier: MIT
// The expression compiler on any text, against a dictionary that answers every name (its
// type chosen by a hash of the name, so both known and unknown names come up). Beyond not
// crashing:
// - the lexer never asks about a hyphenated name longer than the longest item id, and
//   the compiler looks up a longer name only when the lexer made it a whole name;
// - a success has no column or message, and its compiled fields hold no line feed or
//   field mark and read back as prefix notation; a failure points inside the text, or
//   just past it, and says something;
// - the same text compiles the same way twice;
// - a text over the length limit is refused at once, at the column past the limit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/mv/compiler/CompileLimits.h"
#include "platform/mv/compiler/CompiledForm.h"
#include "platform/mv/compiler/ExprLexer.h"
#include "platform/mv/compiler/ExpressionCompiler.h"
#include "platform/mv/compiler/NameResolver.h"

namespace {

// Every name has a type code, or none, fixed by the name alone.
class HashedDictionary final : public mv::NameResolver {
public:
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        asked.insert(std::string(name));
        static constexpr std::string_view kTypes[] = {"D", "I", "V", "A", "S", "PH", "X", "d"};
        const std::size_t hash = std::hash<std::string_view>{}(name);
        if (hash % 9 == 8) {
            return std::nullopt;
        }
        return kTypes[hash % 9];
    }
    bool Known(std::string_view name) { return TypeCode(name).has_value(); }

    std::set<std::string> asked;
};

void CheckCompiled(const mv::CompileResult& result) {
    using fuzz::Require;
    Require(result.column == 0 && result.message.empty(), "a success has no column or message");
    for (const std::string* field : {&result.expressions, &result.dependencies}) {
        Require(field->find('\n') == std::string::npos &&
                    field->find('\xFE') == std::string::npos &&
                    field->find('\xFF') == std::string::npos,
                "compiled fields hold no line feed, field or item mark", *field);
    }
    Require(mv::DescribeExpressions(result.expressions).has_value(),
            "field 10 reads back as prefix notation", result.expressions);
    Require(result.dependencies == mv::EncodeDependencies(result.uses),
            "field 11 lists the items used", result.dependencies);
    std::set<std::string> names;
    for (const mv::Dependency& use : result.uses) {
        Require(names.insert(use.name).second, "each item is listed once", use.name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    HashedDictionary names;
    const std::string tooLong(mv::kMaxExpressionBytes + 1, 'A');
    const mv::CompileResult result = mv::CompileExpression(tooLong, names);
    fuzz::Require(!result.ok && result.column == mv::kMaxExpressionBytes + 1 &&
                      !result.message.empty() && names.asked.empty(),
                  "a text over the limit is refused at once, at the column past the limit");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view source(reinterpret_cast<const char*>(data), size);

    HashedDictionary lexerNames;
    std::set<std::string> nameTokens;
    for (const mv::Token& token : mv::Tokenize(source, [&](std::string_view name) {
             Require(name.size() <= mv::kMaxItemIdBytes,
                     "the lexer asks about no name longer than an item id", name);
             return lexerNames.Known(name);
         })) {
        if (token.kind == mv::TokenKind::kName) {
            nameTokens.insert(token.text);
        }
    }

    HashedDictionary names;
    const mv::CompileResult result = mv::CompileExpression(source, names);
    for (const std::string& name : names.asked) {
        Require(name.size() <= mv::kMaxItemIdBytes || nameTokens.count(name) == 1,
                "only whole names are looked up past the item id limit", name);
    }
    if (result.ok) {
        CheckCompiled(result);
    } else {
        Require(result.column >= 1 && result.column <= size + 1,
                "an error points inside the text or just past it", source);
        Require(!result.message.empty(), "an error says what is wrong", source);
    }

    HashedDictionary again;
    const mv::CompileResult second = mv::CompileExpression(source, again);
    Require(second.ok == result.ok && second.column == result.column &&
                second.message == result.message && second.expressions == result.expressions &&
                second.dependencies == result.dependencies,
            "the same text compiles the same way twice", source);
    return 0;
}

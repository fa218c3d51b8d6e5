// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/compiler/ExprParser.h"
#include "platform/mv/compiler/ExprTree.h"

namespace mv {

// A compiled descriptor keeps fields 1 to 8 as they were and adds, from field 9:
//   9  the marker kCompiledMarker, which names this layout;
//   10 the expressions in prefix (Polish) order: one value per expression of the ';'
//      list, its tokens separated by subvalue marks;
//   11 the dictionary items the expressions use, each once, separated by value marks.
// A token is a leaf or an operator. Leaves: a number as written; a string as "text"
// (the bytes '%', line feed and 0xF8 to 0xFF inside written as %XX, so no mark is ever
// part of a token); an item name; @NAME for a system variable; @n for an earlier result.
// Operators are written as symbol/arity: "+/2", "-/1", "IF/3", "OCONV/2", "<>/3" for an
// extraction, "[]/3" for a substring. The same expression always gives the same bytes,
// and none of them is a line feed.
// UniData keeps its own parsed form of a V-descriptor in fields 8 and 9: field 8 stays
// as it is, and field 9 (the file name UniData's compiler wrote) is replaced like any
// earlier compiled form, since fields 9 on belong to the compiler.
inline constexpr std::string_view kCompiledMarker = "KCD1";
inline constexpr int kFirstCompilerField = 9;

// Field 10 for the parsed expressions.
std::string EncodeExpressions(const ExprTree& tree);

// Field 11 for the items used.
std::string EncodeDependencies(const std::vector<Dependency>& dependencies);

// The record with fields 1 to 8 of `record` byte for byte (empty ones added when it has
// fewer) followed by the compiled fields; whatever it held from field 9 on is replaced.
std::string WithCompiledFields(std::string_view record, std::string_view expressions,
                               std::string_view dependencies);

// Field 10 read back as parenthesised prefix notation, one expression after another
// separated by "; ": "(+ A (* B C))". Nullopt when the field is not in this layout.
std::optional<std::string> DescribeExpressions(std::string_view field);

}  // namespace mv

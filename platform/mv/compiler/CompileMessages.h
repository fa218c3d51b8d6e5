// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Every sentence the compiler and the CD command say, in one place so the wording stays
// consistent. Expression messages name what was found as a quoted token or as "the end
// of the expression", and carry no column: the caller puts the column in front.
namespace mv::messages {

struct Found {
    std::string_view text;  // the token as written; empty at the end of the expression
    bool atEnd = false;
};
std::string Describe(const Found& found);

// Lexical errors.
std::string UnterminatedString(char delimiter);
std::string UnexpectedCharacter(unsigned char byte);
std::string BareAt();
std::string UnknownAtVariable(std::string_view name);

// Grammar.
std::string EmptyExpression();
std::string ExpectedOperand(std::string_view after, const Found& found);
std::string ExpectedExpressionAfterSemicolon(const Found& found);
std::string ExpectedOperatorOrEnd(const Found& found);
std::string UnclosedParenthesis(std::size_t openColumn, const Found& found);
std::string ExpectedThen(std::size_t ifColumn, const Found& found);
std::string ExpectedElse(std::size_t ifColumn, const Found& found);
std::string ExpectedArgumentSeparator(std::string_view function, const Found& found);
std::string ExpectedExtractionClose(const Found& found);
std::string ExpectedSubstringClose(const Found& found);
std::string TooManyPositions(std::string_view what, int most);
std::string TooDeep();
std::string TooLong(std::size_t limit);

// Names, functions and results.
std::string UnknownName(std::string_view name);
std::string UnreadableName(std::string_view name);
std::string NotAFieldItem(std::string_view name, std::string_view typeCode);
std::string UnknownFunction(std::string_view name);
std::string FunctionNeedsParentheses(std::string_view name);
std::string WrongArity(std::string_view function, int least, int most, std::size_t given);
std::string SubroutineNeedsName();
std::string ResultOutOfRange(std::string_view digits, std::size_t earlier);
std::string CircularReference(const std::vector<std::string>& cycle);
std::string LeadsIntoCycle(std::string_view name, const std::vector<std::string>& cycle);

// The CD command's answer.
std::string CompiledLine(std::string_view id);
std::string ErrorLine(std::string_view id, std::size_t column, std::string_view message);
std::string NotADescriptorLine(std::string_view id, std::string_view typeCode);
std::string NoSuchItemLine(std::string_view id, std::string_view fileName);
std::string UnreadableItemLine(std::string_view id);
std::string WriteFailedLine(std::string_view id);
// lockedBy as LockedByWords (LockHolder.h) says it: "locked by ann since 10:42".
std::string LockedItemLine(std::string_view id, std::string_view lockedBy);
std::string NoDescriptorsLine(std::string_view fileName);
std::string SummaryLine(std::size_t compiled, std::size_t failed);
std::string NoFileName();
std::string UnknownFile(std::string_view fileName);
std::string UnreadableDictionary(std::string_view fileName);
std::string OutOfMemory();

}  // namespace mv::messages

// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/CompileMessages.h"

#include <cstdio>

namespace mv::messages {
namespace {

constexpr std::size_t kLongestQuote = 30;

std::string Quote(std::string_view text) {
    if (text.size() > kLongestQuote) {
        return "'" + std::string(text.substr(0, kLongestQuote)) + "...'";
    }
    return "'" + std::string(text) + "'";
}

std::string Column(std::size_t column) {
    return "column " + std::to_string(column);
}

std::string Arguments(std::size_t n) {
    return n == 1 ? "1 argument" : std::to_string(n) + " arguments";
}

std::string Path(const std::vector<std::string>& cycle) {
    std::string path;
    for (const std::string& name : cycle) {
        path += (path.empty() ? "" : " -> ") + name;
    }
    return path;
}

}  // namespace

std::string Describe(const Found& found) {
    return found.atEnd ? "the end of the expression" : Quote(found.text);
}

std::string UnterminatedString(char delimiter) {
    const std::string quote(1, delimiter);
    return "unterminated string: the string that starts here has no closing " + quote;
}

std::string UnexpectedCharacter(unsigned char byte) {
    if (byte == 0xFD) {
        return "unexpected value mark: an expression is a single value";
    }
    if (byte == 0xFC) {
        return "unexpected subvalue mark: an expression is a single value";
    }
    if (byte < 0x20 || byte >= 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", byte);
        return std::string("unexpected byte ") + hex;
    }
    return "unexpected character " + Quote(std::string(1, static_cast<char>(byte)));
}

std::string BareAt() {
    return "'@' alone is not a value: name an earlier result as @1, @2, ...";
}

std::string UnknownAtVariable(std::string_view name) {
    return "unknown variable @" + std::string(name);
}

std::string EmptyExpression() {
    return "the expression is empty";
}

std::string ExpectedOperand(std::string_view after, const Found& found) {
    if (after.empty()) {
        return "expected an operand but found " + Describe(found);
    }
    return "expected an operand after " + Quote(after) + " but found " + Describe(found);
}

std::string ExpectedExpressionAfterSemicolon(const Found& found) {
    return "expected an expression after ';' but found " + Describe(found);
}

std::string ExpectedOperatorOrEnd(const Found& found) {
    if (!found.atEnd && found.text == ")") {
        return "unexpected ')': there is no '(' for it to close";
    }
    return "expected an operator or the end of the expression but found " + Describe(found);
}

std::string UnclosedParenthesis(std::size_t openColumn, const Found& found) {
    return "expected ')' to close the '(' at " + Column(openColumn) + " but found " +
           Describe(found);
}

std::string ExpectedThen(std::size_t ifColumn, const Found& found) {
    return "expected THEN after the condition of the IF at " + Column(ifColumn) + " but found " +
           Describe(found);
}

std::string ExpectedElse(std::size_t ifColumn, const Found& found) {
    return "expected ELSE for the IF at " + Column(ifColumn) + " but found " + Describe(found) +
           " (an IF expression needs both THEN and ELSE)";
}

std::string ExpectedArgumentSeparator(std::string_view function, const Found& found) {
    return "expected ',' or ')' in the arguments of " + std::string(function) + " but found " +
           Describe(found);
}

std::string ExpectedExtractionClose(const Found& found) {
    return "expected ',' or '>' in the extraction <...> but found " + Describe(found);
}

std::string ExpectedSubstringClose(const Found& found) {
    return "expected ',' or ']' in the substring [...] but found " + Describe(found);
}

std::string TooManyPositions(std::string_view what, int most) {
    return std::string(what) + " takes at most " + std::to_string(most) + " positions";
}

std::string TooDeep() {
    return "the expression nests too deeply";
}

std::string TooLong(std::size_t limit) {
    return "the expression is longer than the " + std::to_string(limit) +
           " bytes the compiler accepts";
}

std::string OutOfMemory() {
    return "The engine ran out of memory running the command; nothing more was done.";
}

std::string UnknownName(std::string_view name) {
    return "unknown name " + std::string(name) + ": no item of this dictionary has that name";
}

std::string UnreadableName(std::string_view name) {
    return "the item " + std::string(name) + " could not be read, so its type is not known";
}

std::string NotAFieldItem(std::string_view name, std::string_view typeCode) {
    return std::string(name) + " is " +
           (typeCode.empty() ? "an item without a type" : "a " + std::string(typeCode) + " item") +
           ": an expression can only use D, I, V, A and S items";
}

std::string UnknownFunction(std::string_view name) {
    return "unknown function " + std::string(name);
}

std::string FunctionNeedsParentheses(std::string_view name) {
    return std::string(name) + " is a function: write its arguments in parentheses, as in " +
           std::string(name) + "(...)";
}

std::string WrongArity(std::string_view function, int least, int most, std::size_t given) {
    std::string takes;
    if (most == 0) {
        takes = "no arguments";
    } else if (least == most) {
        takes = Arguments(static_cast<std::size_t>(least));
    } else if (most >= 255) {
        takes = "at least " + Arguments(static_cast<std::size_t>(least));
    } else {
        takes = std::to_string(least) + " to " + std::to_string(most) + " arguments";
    }
    return std::string(function) + " takes " + takes + " but is given " +
           (given == 0 ? std::string("none") : std::to_string(given));
}

std::string SubroutineNeedsName() {
    return "SUBR needs the name of the subroutine as its first argument";
}

std::string ResultOutOfRange(std::string_view digits, std::size_t earlier) {
    std::string at = "@";
    at += digits;
    if (earlier == 0) {
        return at + " names an earlier result, but no expression comes before this one";
    }
    return at + " names no earlier result: " +
           (earlier == 1
                ? std::string("only @1 comes before this expression")
                : "only @1 to @" + std::to_string(earlier) + " come before this expression");
}

std::string CircularReference(const std::vector<std::string>& cycle) {
    return "circular reference: " + Path(cycle);
}

std::string LeadsIntoCycle(std::string_view name, const std::vector<std::string>& cycle) {
    return std::string(name) + " leads into a circular reference: " + Path(cycle);
}

std::string CompiledLine(std::string_view id) {
    return std::string(id) + ": compiled.";
}

std::string ErrorLine(std::string_view id, std::size_t column, std::string_view message) {
    return std::string(id) + ": " + Column(column) + ": " + std::string(message) + ".";
}

std::string NotADescriptorLine(std::string_view id, std::string_view typeCode) {
    const std::string type =
        typeCode.empty() ? "an item without a type" : "a " + std::string(typeCode) + " item";
    return std::string(id) + ": not compiled: it is " + type + ", not an I- or V-descriptor.";
}

std::string NoSuchItemLine(std::string_view id, std::string_view fileName) {
    return std::string(id) + ": no such item in the dictionary of " + std::string(fileName) + ".";
}

std::string UnreadableItemLine(std::string_view id) {
    return std::string(id) + ": the item could not be read.";
}

std::string WriteFailedLine(std::string_view id) {
    return std::string(id) + ": compiled, but the item could not be written.";
}

std::string LockedItemLine(std::string_view id, std::string_view lockedBy) {
    return std::string(id) + ": " + std::string(lockedBy) + "; not compiled.";
}

std::string NoDescriptorsLine(std::string_view fileName) {
    return "The dictionary of " + std::string(fileName) + " has no I- or V-descriptors.";
}

std::string SummaryLine(std::size_t compiled, std::size_t failed) {
    return std::to_string(compiled) + (compiled == 1 ? " descriptor" : " descriptors") +
           " compiled, " + std::to_string(failed) + " failed.";
}

std::string NoFileName() {
    return "CD needs a file name: CD file [item ...]";
}

std::string UnknownFile(std::string_view fileName) {
    std::string message = "\"";
    message += fileName;
    return message + "\" is not a file of this account.";
}

std::string UnreadableDictionary(std::string_view fileName) {
    return "The dictionary of \"" + std::string(fileName) + "\" could not be read.";
}

}  // namespace mv::messages

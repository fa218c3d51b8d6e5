// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

enum class TokenKind {
    kNumber,      // 12, 1.5, .5
    kString,      // text holds the content without its delimiters
    kName,        // an item name, a function name or a keyword
    kAtVariable,  // @ID, @RECORD, ...: text holds the name after the @
    kAtResult,    // @1, @2, ...: text holds the digits
    kAtBare,      // an @ followed by nothing that names a variable
    kSymbol,  // an operator or punctuation: + - * / ^ ** : = # <> >< < > <= >= =< => & ! ( ) , [ ]
              // ;
    kEnd,
    kError,  // a lexical error; text holds what is wrong, and no token follows it
};

// Kept small: an expression holds about one token for every two of its bytes.
struct Token {
    TokenKind kind = TokenKind::kEnd;
    std::string text;        // for kError, the message saying what is wrong
    std::size_t offset = 0;  // where the token starts in the source, from 0
    std::size_t length = 0;  // how many source bytes it covers
    char delimiter = 0;      // kString only: the quote it was written with
};

// Splits an expression into tokens, ending with kEnd or at the first kError. A name
// takes a '-' inside it only when `isItem` says an item of that longer name exists, so
// "A-B" is one name in a dictionary that has it and a subtraction anywhere else.
std::vector<Token> Tokenize(std::string_view source,
                            const std::function<bool(std::string_view)>& isItem);

}  // namespace mv

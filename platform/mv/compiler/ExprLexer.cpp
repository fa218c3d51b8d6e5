// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/ExprLexer.h"

#include <algorithm>
#include <utility>

#include "platform/mv/compiler/CompileLimits.h"
#include "platform/mv/compiler/CompileMessages.h"

namespace mv {
namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool StartsName(char c) {
    return IsLetter(c) || c == '_' || c == '$' || c == '%';
}
bool ContinuesName(char c) {
    return StartsName(c) || IsDigit(c) || c == '.';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Two-byte symbols first, so "**" is not read as two multiplications.
constexpr std::string_view kPairs[] = {"**", "<>", "><", "<=", ">=", "=<", "=>"};
constexpr std::string_view kSingles = "+-*/^:=#<>&!(),[];";

class Lexer {
public:
    Lexer(std::string_view source, const std::function<bool(std::string_view)>& isItem)
        : source_(source), isItem_(isItem) {}

    std::vector<Token> Run() {
        for (;;) {
            while (at_ < source_.size() && IsBlank(source_[at_])) {
                ++at_;
            }
            if (at_ >= source_.size()) {
                Add(TokenKind::kEnd, at_, 0, {});
                return std::move(tokens_);
            }
            if (!Next()) {
                return std::move(tokens_);
            }
        }
    }

private:
    // Reads one token at at_; false after an error token.
    bool Next() {
        const char c = source_[at_];
        if (IsDigit(c) || (c == '.' && at_ + 1 < source_.size() && IsDigit(source_[at_ + 1]))) {
            return Number();
        }
        if (c == '"' || c == '\'' || c == '\\') {
            return String(c);
        }
        if (StartsName(c)) {
            return Name();
        }
        if (c == '@') {
            return At();
        }
        for (const std::string_view pair : kPairs) {
            if (source_.substr(at_, 2) == pair) {
                Add(TokenKind::kSymbol, at_, 2, pair);
                at_ += 2;
                return true;
            }
        }
        if (kSingles.find(c) != std::string_view::npos) {
            Add(TokenKind::kSymbol, at_, 1, source_.substr(at_, 1));
            ++at_;
            return true;
        }
        return Fail(at_, messages::UnexpectedCharacter(static_cast<unsigned char>(c)));
    }

    bool Number() {
        const std::size_t start = at_;
        while (at_ < source_.size() && IsDigit(source_[at_])) {
            ++at_;
        }
        if (at_ + 1 < source_.size() && source_[at_] == '.' && IsDigit(source_[at_ + 1])) {
            ++at_;
            while (at_ < source_.size() && IsDigit(source_[at_])) {
                ++at_;
            }
        } else if (at_ < source_.size() && source_[at_] == '.' && at_ > start) {
            ++at_;  // "5." is a number too
        }
        Add(TokenKind::kNumber, start, at_ - start, source_.substr(start, at_ - start));
        return true;
    }

    bool String(char delimiter) {
        const std::size_t start = at_;
        const std::size_t close = source_.find(delimiter, start + 1);
        if (close == std::string_view::npos) {
            return Fail(start, messages::UnterminatedString(delimiter));
        }
        Add(TokenKind::kString, start, close + 1 - start,
            source_.substr(start + 1, close - start - 1));
        tokens_.back().delimiter = delimiter;
        at_ = close + 1;
        return true;
    }

    // The end of the name characters from `from`, looking no further than `limit`.
    std::size_t NameEnd(std::size_t from, std::size_t limit) const {
        limit = std::min(limit, source_.size());
        while (from < limit && ContinuesName(source_[from])) {
            ++from;
        }
        return from;
    }

    bool Name() {
        const std::size_t start = at_;
        std::size_t end = NameEnd(start, source_.size());
        // The longest hyphenated run that names an item; the plain name otherwise. A run
        // longer than any item id is never asked about, so each name costs at most
        // kMaxItemIdBytes of lookahead however long the expression is.
        const std::size_t runLimit = start + kMaxItemIdBytes + 1;
        std::size_t longest = end;
        std::size_t probe = end;
        while (probe + 1 < source_.size() && source_[probe] == '-' &&
               ContinuesName(source_[probe + 1])) {
            probe = NameEnd(probe + 1, runLimit);
            if (probe - start > kMaxItemIdBytes) {
                break;
            }
            if (isItem_(source_.substr(start, probe - start))) {
                longest = probe;
            }
        }
        end = longest;
        Add(TokenKind::kName, start, end - start, source_.substr(start, end - start));
        at_ = end;
        return true;
    }

    bool At() {
        const std::size_t start = at_;
        std::size_t end = start + 1;
        while (end < source_.size() && ContinuesName(source_[end])) {
            ++end;
        }
        const std::string_view name = source_.substr(start + 1, end - start - 1);
        at_ = end;
        if (name.empty()) {
            Add(TokenKind::kAtBare, start, 1, {});
            return true;
        }
        bool digits = true;
        for (const char c : name) {
            digits = digits && IsDigit(c);
        }
        Add(digits ? TokenKind::kAtResult : TokenKind::kAtVariable, start, end - start, name);
        return true;
    }

    void Add(TokenKind kind, std::size_t offset, std::size_t length, std::string_view text) {
        Token token;
        token.kind = kind;
        token.offset = offset;
        token.length = length;
        token.text = std::string(text);
        tokens_.push_back(std::move(token));
    }

    bool Fail(std::size_t offset, std::string message) {
        Add(TokenKind::kError, offset, 0, {});
        tokens_.back().text = std::move(message);
        return false;
    }

    std::string_view source_;
    const std::function<bool(std::string_view)>& isItem_;
    std::size_t at_ = 0;
    std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view source,
                            const std::function<bool(std::string_view)>& isItem) {
    return Lexer(source, isItem).Run();
}

}  // namespace mv

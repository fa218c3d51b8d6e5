// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/ExprParser.h"

#include <initializer_list>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/mv/CommandWords.h"
#include "platform/mv/compiler/BuiltinNames.h"
#include "platform/mv/compiler/CompileMessages.h"

namespace mv {
namespace {

// Deeper nesting than any real expression, and shallow enough that the recursion of
// the parser stays far from the end of the stack.
constexpr int kMaxNesting = 200;

struct ParseError {
    std::size_t offset;
    std::string message;
};

// An operator as written and the form it takes in the tree.
struct Spelling {
    std::string_view written;
    std::string_view canonical;
};

constexpr Spelling kLogical[] = {{"AND", "AND"}, {"OR", "OR"}, {"&", "AND"}, {"!", "OR"}};
constexpr Spelling kRelational[] = {
    {"=", "="},
    {"#", "#"},
    {"<>", "#"},
    {"><", "#"},
    {"<", "<"},
    {">", ">"},
    {"<=", "<="},
    {">=", ">="},
    {"=<", "<="},
    {"=>", ">="},
    {"EQ", "="},
    {"NE", "#"},
    {"LT", "<"},
    {"GT", ">"},
    {"LE", "<="},
    {"GE", ">="},
    {"MATCHES", "MATCHES"},
    {"MATCH", "MATCHES"},
};
constexpr Spelling kConcatenation[] = {{":", ":"}, {"CAT", ":"}};
constexpr Spelling kAdditive[] = {{"+", "+"}, {"-", "-"}};
constexpr Spelling kMultiplicative[] = {{"*", "*"}, {"/", "/"}};
constexpr Spelling kPower[] = {{"^", "^"}, {"**", "^"}};

class Parser {
public:
    Parser(std::vector<Token>& tokens, NameResolver& names, ExprTree& tree,
           std::vector<Dependency>& dependencies)
        : tokens_(tokens), names_(names), tree_(tree), dependencies_(dependencies) {}

    void Run() {
        if (Current().kind == TokenKind::kEnd) {
            throw ParseError{0, messages::EmptyExpression()};
        }
        for (;;) {
            tree_.statements.push_back(Expression());
            if (IsSymbol(Current(), ";")) {
                ++at_;
                ++statement_;
                if (Current().kind == TokenKind::kEnd || IsSymbol(Current(), ";")) {
                    Fail(Current(), messages::ExpectedExpressionAfterSemicolon(Found(Current())));
                }
                continue;
            }
            if (Current().kind == TokenKind::kEnd) {
                return;
            }
            Fail(Current(), messages::ExpectedOperatorOrEnd(Found(Current())));
        }
    }

private:
    // Nesting guard for the recursive rules.
    class Nest {
    public:
        explicit Nest(Parser& parser) : parser_(parser) {
            if (++parser_.nesting_ > kMaxNesting) {
                throw ParseError{parser_.Current().offset, messages::TooDeep()};
            }
        }
        ~Nest() { --parser_.nesting_; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

    private:
        Parser& parser_;
    };

    Token& Current() { return tokens_[at_]; }
    const Token& Peek(std::size_t ahead) const {
        const std::size_t i = at_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    static bool IsSymbol(const Token& token, std::string_view symbol) {
        return token.kind == TokenKind::kSymbol && token.text == symbol;
    }
    static bool IsWord(const Token& token, std::string_view capitals) {
        return token.kind == TokenKind::kName && UpperCase(token.text) == capitals;
    }
    static messages::Found Found(const Token& token) {
        return {token.text, token.kind == TokenKind::kEnd};
    }
    // Reports message at token, unless the token is a lexical error, which then speaks.
    [[noreturn]] static void Fail(const Token& token, std::string message) {
        if (token.kind == TokenKind::kError) {
            throw ParseError{token.offset, token.text};
        }
        throw ParseError{token.offset, std::move(message)};
    }
    // The operator just consumed, for "expected an operand after ..."; empty if none.
    std::string_view Previous() const {
        if (at_ == 0) {
            return {};
        }
        const Token& previous = tokens_[at_ - 1];
        const bool keyword =
            previous.kind == TokenKind::kName && IsKeyword(UpperCase(previous.text));
        return previous.kind == TokenKind::kSymbol || keyword ? std::string_view(previous.text)
                                                              : std::string_view();
    }

    int Node(NodeKind kind, std::string text, std::size_t offset, std::vector<int> children = {}) {
        ExprNode node;
        node.kind = kind;
        node.text = std::move(text);
        node.offset = offset;
        node.children = std::move(children);
        return tree_.Add(std::move(node));
    }

    // The canonical form of the current token when it is one of `operators`.
    template <std::size_t N>
    const Spelling* Match(const Spelling (&operators)[N]) {
        const Token& token = Current();
        if (token.kind != TokenKind::kSymbol && token.kind != TokenKind::kName) {
            return nullptr;
        }
        const std::string written =
            token.kind == TokenKind::kName ? UpperCase(token.text) : token.text;
        for (const Spelling& s : operators) {
            if (s.written == written) {
                return &s;
            }
        }
        return nullptr;
    }

    // One left-to-right level of binary operators over the level `next`.
    template <std::size_t N>
    int Binary(const Spelling (&operators)[N], int (Parser::*next)()) {
        int left = (this->*next)();
        while (const Spelling* op = Match(operators)) {
            const std::size_t offset = Current().offset;
            ++at_;
            const int right = (this->*next)();
            left = Node(NodeKind::kOperator, std::string(op->canonical), offset, {left, right});
        }
        return left;
    }

    int Expression() {
        const Nest nest(*this);
        return Binary(kLogical, &Parser::Relational);
    }
    int Relational() { return Binary(kRelational, &Parser::Concatenation); }
    int Concatenation() { return Binary(kConcatenation, &Parser::Additive); }
    int Additive() { return Binary(kAdditive, &Parser::Multiplicative); }
    int Multiplicative() { return Binary(kMultiplicative, &Parser::Power); }
    int Power() { return Binary(kPower, &Parser::Unary); }

    int Unary() {
        if (IsSymbol(Current(), "-") || IsSymbol(Current(), "+")) {
            const Nest nest(*this);
            const Token& sign = Current();
            const std::size_t offset = sign.offset;
            std::string text = sign.text;
            ++at_;
            const int operand = Unary();
            return Node(NodeKind::kOperator, std::move(text), offset, {operand});
        }
        return Postfix();
    }

    int Postfix() {
        if (IsWord(Current(), "IF")) {
            return If();  // its ELSE branch reaches as far right as it can
        }
        int operand = Primary();
        for (;;) {
            if (IsSymbol(Current(), "[")) {
                operand = Substring(operand);
            } else if (IsSymbol(Current(), "<") && LooksLikeExtraction()) {
                operand = Extraction(operand);
            } else {
                return operand;
            }
        }
    }

    int Primary() {
        Token& token = Current();
        switch (token.kind) {
            case TokenKind::kNumber:
                ++at_;
                return Node(NodeKind::kNumber, token.text, token.offset);
            case TokenKind::kString:
                ++at_;
                return Node(NodeKind::kString, token.text, token.offset);
            case TokenKind::kAtResult:
                return Result();
            case TokenKind::kAtVariable: {
                const std::optional<std::string> name = CanonicalAtVariable(token.text);
                if (!name) {
                    Fail(token, messages::UnknownAtVariable(token.text));
                }
                ++at_;
                return Node(NodeKind::kAtVariable, *name, token.offset);
            }
            case TokenKind::kAtBare:
                Fail(token, messages::BareAt());
            case TokenKind::kName:
                if (!IsKeyword(UpperCase(token.text))) {
                    return IsSymbol(Peek(1), "(") ? Call() : Name();
                }
                break;
            case TokenKind::kSymbol:
                if (token.text == "(") {
                    return Parenthesised();
                }
                break;
            case TokenKind::kEnd:
            case TokenKind::kError:
                break;
        }
        Fail(token, messages::ExpectedOperand(Previous(), Found(token)));
    }

    int Parenthesised() {
        const std::size_t open = Current().offset;
        ++at_;
        const int inner = Expression();
        if (!IsSymbol(Current(), ")")) {
            Fail(Current(), messages::UnclosedParenthesis(open + 1, Found(Current())));
        }
        ++at_;
        return inner;
    }

    int Result() {
        const Token& token = Current();
        std::size_t n = 0;
        for (const char c : token.text) {
            n = n * 10 + static_cast<std::size_t>(c - '0');
            if (n >= statement_) {
                break;  // also stops a long run of digits from overflowing
            }
        }
        if (n == 0 || n >= statement_) {
            Fail(token, messages::ResultOutOfRange(token.text, statement_ - 1));
        }
        ++at_;
        return Node(NodeKind::kResult, std::to_string(n), token.offset);
    }

    int Name() {
        const Token& token = Current();
        const std::optional<std::string_view> type = names_.TypeCode(token.text);
        if (!type) {
            if (names_.Unreadable(token.text)) {
                Fail(token, messages::UnreadableName(token.text));
            }
            if (FindFunction(token.text) != nullptr) {
                Fail(token, messages::FunctionNeedsParentheses(UpperCase(token.text)));
            }
            Fail(token, messages::UnknownName(token.text));
        }
        if (!IsFieldType(*type)) {
            Fail(token, messages::NotAFieldItem(token.text, *type));
        }
        if (seen_.insert(token.text).second) {
            dependencies_.push_back({token.text, token.offset});
        }
        ++at_;
        return Node(NodeKind::kName, token.text, token.offset);
    }

    int If() {
        const Nest nest(*this);
        const std::size_t offset = Current().offset;
        ++at_;
        const int condition = Expression();
        if (!IsWord(Current(), "THEN")) {
            Fail(Current(), messages::ExpectedThen(offset + 1, Found(Current())));
        }
        ++at_;
        const int then = Expression();
        if (!IsWord(Current(), "ELSE")) {
            Fail(Current(), messages::ExpectedElse(offset + 1, Found(Current())));
        }
        ++at_;
        const int otherwise = Expression();
        return Node(NodeKind::kIf, "IF", offset, {condition, then, otherwise});
    }

    int Call() {
        const Nest nest(*this);
        const Token& name = Current();
        const FunctionInfo* function = FindFunction(name.text);
        if (function == nullptr) {
            Fail(name, messages::UnknownFunction(name.text));
        }
        const std::size_t offset = name.offset;
        at_ += 2;  // the name and '('
        std::vector<int> arguments;
        if (IsSymbol(Current(), ")")) {
            ++at_;
        } else {
            for (;;) {
                arguments.push_back(Argument(*function, arguments.size()));
                if (IsSymbol(Current(), ",")) {
                    ++at_;
                    continue;
                }
                if (IsSymbol(Current(), ")")) {
                    ++at_;
                    break;
                }
                Fail(Current(),
                     messages::ExpectedArgumentSeparator(function->name, Found(Current())));
            }
        }
        const std::size_t given = arguments.size();
        if (given < static_cast<std::size_t>(function->least) ||
            given > static_cast<std::size_t>(function->most)) {
            throw ParseError{offset, messages::WrongArity(function->name, function->least,
                                                          function->most, given)};
        }
        if (function->name == "SUBR") {
            const ExprNode& first = tree_.nodes[static_cast<std::size_t>(arguments[0])];
            if (first.kind == NodeKind::kString && first.text.empty()) {
                throw ParseError{first.offset, messages::SubroutineNeedsName()};
            }
        }
        return Node(NodeKind::kCall, std::string(function->name), offset, std::move(arguments));
    }

    // TRANS and XLATE name another file and a field of that file's dictionary: as bare
    // words these are names of the other file, not items of this dictionary.
    int Argument(const FunctionInfo& function, std::size_t index) {
        const bool translate = function.name == "TRANS" || function.name == "XLATE";
        if (translate && index == 0) {
            if (const int file = BareFileName(); file >= 0) {
                return file;
            }
        }
        if (translate && index == 2 && Current().kind == TokenKind::kName &&
            !IsKeyword(UpperCase(Current().text)) && EndsArgument(Peek(1))) {
            const Token& field = Current();
            ++at_;
            return Node(NodeKind::kString, field.text, field.offset);
        }
        return Expression();
    }

    static bool EndsArgument(const Token& token) {
        return IsSymbol(token, ",") || IsSymbol(token, ")");
    }

    // A file name written without quotes, with DICT before it or not, up to the comma:
    // the tokens of a name that may hold '-' and digits, written without blanks.
    int BareFileName() {
        std::size_t i = at_;
        std::string text;
        const std::size_t offset = tokens_[i].offset;
        if (IsWord(tokens_[i], "DICT") && tokens_[i + 1].kind == TokenKind::kName) {
            text = "DICT ";
            ++i;
        }
        if (tokens_[i].kind != TokenKind::kName) {
            return -1;
        }
        std::size_t end = tokens_[i].offset;
        const std::size_t first = i;
        while (tokens_[i].offset == end &&
               (tokens_[i].kind == TokenKind::kName || tokens_[i].kind == TokenKind::kNumber ||
                IsSymbol(tokens_[i], "-"))) {
            end = tokens_[i].offset + tokens_[i].length;
            ++i;
        }
        if (!IsSymbol(tokens_[i], ",")) {
            return -1;
        }
        for (std::size_t k = first; k < i; ++k) {
            text += tokens_[k].text;
        }
        at_ = i;
        return Node(NodeKind::kString, std::move(text), offset);
    }

    int Substring(int operand) {
        const Nest nest(*this);
        const std::size_t offset = Current().offset;
        ++at_;
        std::vector<int> children{operand};
        for (;;) {
            children.push_back(Expression());
            if (IsSymbol(Current(), "]")) {
                ++at_;
                break;
            }
            if (!IsSymbol(Current(), ",")) {
                Fail(Current(), messages::ExpectedSubstringClose(Found(Current())));
            }
            if (children.size() == 4) {
                Fail(Current(), messages::TooManyPositions("a substring [...]", 3));
            }
            ++at_;
        }
        return Node(NodeKind::kSubstring, "[]", offset, std::move(children));
    }

    // After an operand, '<' starts an extraction when a '>' closes it and only the
    // arithmetic of field, value and subvalue positions comes between; otherwise it is
    // "less than". Decided by looking ahead without parsing, so nothing is parsed twice.
    bool LooksLikeExtraction() const {
        int depth = 0;
        std::size_t count = 0;
        for (std::size_t i = at_ + 1; i < tokens_.size(); ++i) {
            const Token& t = tokens_[i];
            if (t.kind == TokenKind::kEnd || t.kind == TokenKind::kError || IsSymbol(t, ";")) {
                return false;
            }
            if (IsSymbol(t, "(") || IsSymbol(t, "[")) {
                ++depth;
            } else if (IsSymbol(t, ")") || IsSymbol(t, "]")) {
                if (depth-- == 0) {
                    return false;
                }
            } else if (depth == 0) {
                if (IsSymbol(t, ">") || IsSymbol(t, ">=") || IsSymbol(t, "><")) {
                    return count > 0;
                }
                if (t.kind == TokenKind::kSymbol) {
                    static constexpr std::string_view kArithmetic[] = {"+", "-",  "*", "/",
                                                                       "^", "**", ","};
                    bool arithmetic = false;
                    for (const std::string_view s : kArithmetic) {
                        arithmetic = arithmetic || t.text == s;
                    }
                    if (!arithmetic) {
                        return false;
                    }
                }
                if (t.kind == TokenKind::kName && IsKeyword(UpperCase(t.text))) {
                    return false;
                }
            }
            ++count;
        }
        return false;
    }

    int Extraction(int operand) {
        const Nest nest(*this);
        const std::size_t offset = Current().offset;
        ++at_;
        std::vector<int> children{operand};
        for (;;) {
            children.push_back(Additive());
            Token& close = Current();
            if (IsSymbol(close, ">")) {
                ++at_;
                break;
            }
            if (IsSymbol(close, ">=") || IsSymbol(close, "><")) {
                // "A<1>=B": the '>' closes the extraction, the rest is the next operator.
                close.text = close.text.substr(1);
                ++close.offset;
                close.length = 1;
                break;
            }
            if (!IsSymbol(close, ",")) {
                Fail(close, messages::ExpectedExtractionClose(Found(close)));
            }
            if (children.size() == 4) {
                Fail(close, messages::TooManyPositions("an extraction <...>", 3));
            }
            ++at_;
        }
        return Node(NodeKind::kExtract, "<>", offset, std::move(children));
    }

    std::vector<Token>& tokens_;
    NameResolver& names_;
    ExprTree& tree_;
    std::vector<Dependency>& dependencies_;
    std::unordered_set<std::string> seen_;
    std::size_t at_ = 0;
    std::size_t statement_ = 1;  // which expression of the ';' list is being parsed
    int nesting_ = 0;
};

}  // namespace

ParseOutcome ParseExpressions(std::vector<Token>& tokens, NameResolver& names, ExprTree& tree,
                              std::vector<Dependency>& dependencies) {
    ParseOutcome outcome;
    // Each node comes from a token, so one allocation holds the whole tree: growing the
    // vector by doubling would briefly hold it twice over.
    tree.nodes.reserve(tokens.size());
    try {
        Parser(tokens, names, tree, dependencies).Run();
        outcome.ok = true;
    } catch (ParseError& error) {
        outcome.offset = error.offset;
        outcome.message = std::move(error.message);
    }
    return outcome;
}

}  // namespace mv

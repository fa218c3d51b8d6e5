// SPDX-License-Identifier: MIT
#include "platform/mv/SelectCommand.h"

#include <charconv>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"

namespace mv {
namespace {

constexpr std::size_t kMaxSample = 1'000'000'000;

std::string Quoted(std::string_view word) {
    std::string quoted(1, '"');
    quoted += word;
    quoted += '"';
    return quoted;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'' || c == '\\';
}

// The words of the command: split on blanks and tabs, but a word that starts with a quote
// (", ' or \) runs to the same quote and keeps both. False for a quote left open.
bool SplitWords(std::string_view text, std::vector<std::string_view>& words) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (IsQuote(text[i])) {
            const std::size_t close = text.find(text[i], i + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            i = close + 1;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
                ++i;
            }
        }
        words.push_back(text.substr(start, i - start));
    }
    return true;
}

bool IsQuoted(std::string_view word) {
    return word.size() >= 2 && IsQuote(word.front()) && word.back() == word.front();
}

bool IsKeyword(const std::string& upper) {
    return upper == "BY" || upper == "BY.DSND" || upper == "WITH" || upper == "AND" ||
           upper == "OR" || upper == "SAMPLE";
}

bool ComparisonOf(const std::string& upper, Comparison& comparison) {
    static const std::pair<const char*, Comparison> kOperators[] = {
        {"=", Comparison::kEqual},           {"EQ", Comparison::kEqual},
        {"#", Comparison::kNotEqual},        {"<>", Comparison::kNotEqual},
        {"NE", Comparison::kNotEqual},       {"<", Comparison::kLess},
        {"LT", Comparison::kLess},           {">", Comparison::kGreater},
        {"GT", Comparison::kGreater},        {"<=", Comparison::kLessOrEqual},
        {"LE", Comparison::kLessOrEqual},    {">=", Comparison::kGreaterOrEqual},
        {"GE", Comparison::kGreaterOrEqual}, {"LIKE", Comparison::kLike},
        {"UNLIKE", Comparison::kUnlike},
    };
    for (const auto& [word, meaning] : kOperators) {
        if (upper == word) {
            comparison = meaning;
            return true;
        }
    }
    return false;
}

class ClauseParser {
public:
    ClauseParser(const std::vector<std::string_view>& words, SelectCommand& command,
                 std::string& message)
        : words_(words), command_(command), message_(message) {}

    int Parse(std::size_t from) {
        bool connected = false;  // an AND or OR waits for its condition
        for (at_ = from; at_ < words_.size();) {
            const std::string keyword = UpperCase(words_[at_++]);
            int error = kOk;
            if (keyword == "BY" || keyword == "BY.DSND") {
                error = connected ? Dangling() : SortClause(keyword);
            } else if (keyword == "SAMPLE") {
                error = connected ? Dangling() : SampleClause();
            } else if (keyword == "AND" || keyword == "OR") {
                if (command_.selection.Empty() || connected) {
                    message_ = keyword + " must join two WITH conditions.";
                    return kCommandSyntax;
                }
                if (keyword == "OR") {
                    command_.selection.anyOf.emplace_back();
                }
                connected = true;
                if (at_ < words_.size() && UpperCase(words_[at_]) == "WITH") {
                    ++at_;
                }
                error = ConditionClause();
                connected = false;
            } else if (keyword == "WITH") {
                if (!command_.selection.Empty()) {
                    message_ = "Join WITH clauses with AND or OR.";
                    return kCommandSyntax;
                }
                command_.selection.anyOf.emplace_back();
                error = ConditionClause();
            } else {
                message_ = "Unexpected word " + Quoted(words_[at_ - 1]) +
                           ": BY, BY.DSND, WITH and SAMPLE clauses may follow the file name.";
                return kCommandSyntax;
            }
            if (error != kOk) {
                return error;
            }
        }
        return kOk;
    }

private:
    int Dangling() {
        message_ = "AND and OR must be followed by a condition.";
        return kCommandSyntax;
    }

    int SortClause(const std::string& keyword) {
        if (at_ >= words_.size()) {
            message_ = keyword + " needs a name after it.";
            return kCommandSyntax;
        }
        const std::string_view name = words_[at_++];
        SortKey key;
        if (command_.dictionary && !ResolveSortName(name, key)) {
            message_ = Quoted(name) +
                       " is not a name to sort by: use @ID, F1 to F99, TYPE, LOC or RLOCATION.";
            return kUnknownSortName;
        }
        key.descending = keyword == "BY.DSND";
        command_.keys.push_back(key);
        command_.keyNames.emplace_back(name);
        return kOk;
    }

    int SampleClause() {
        std::size_t count = 0;
        const std::string_view word = at_ < words_.size() ? words_[at_] : std::string_view();
        const auto parsed = std::from_chars(word.data(), word.data() + word.size(), count);
        if (word.empty() || parsed.ec != std::errc() || parsed.ptr != word.data() + word.size() ||
            count == 0 || count > kMaxSample) {
            message_ = "SAMPLE needs a number of records from 1 to 1000000000 after it.";
            return kCommandSyntax;
        }
        ++at_;
        command_.sample = count;
        return kOk;
    }

    // [NOT | NO] name [operator value...] or name "value"..., after WITH, AND or OR.
    int ConditionClause() {
        Condition condition;
        if (at_ < words_.size()) {
            const std::string word = UpperCase(words_[at_]);
            condition.negated = word == "NOT" || word == "NO";
            at_ += condition.negated ? 1 : 0;
        }
        if (at_ >= words_.size() || IsKeyword(UpperCase(words_[at_])) || IsQuoted(words_[at_])) {
            message_ = "WITH needs the name of a field after it.";
            return kCommandSyntax;
        }
        condition.name = std::string(words_[at_++]);
        std::string op;
        if (at_ < words_.size() && ComparisonOf(UpperCase(words_[at_]), condition.comparison)) {
            op = std::string(words_[at_++]);
        } else if (at_ < words_.size() && IsQuoted(words_[at_])) {
            condition.comparison = Comparison::kEqual;
        }
        while (condition.comparison != Comparison::kPresent && at_ < words_.size()) {
            const std::string_view word = words_[at_];
            Comparison ignored;
            const std::string upper = UpperCase(word);
            if (!IsQuoted(word) && (IsKeyword(upper) || ComparisonOf(upper, ignored))) {
                break;
            }
            condition.values.emplace_back(IsQuoted(word) ? word.substr(1, word.size() - 2) : word);
            ++at_;
        }
        if (condition.comparison != Comparison::kPresent && condition.values.empty()) {
            message_ = op + " needs a value after it.";
            return kCommandSyntax;
        }
        if (command_.dictionary) {
            if (!ResolveSortName(condition.name, condition.field)) {
                message_ = Quoted(condition.name) +
                           " is not a name to select by: use @ID, F1 to F99, TYPE, LOC or "
                           "RLOCATION.";
                return kUnknownSortName;
            }
            condition.resolved = true;
        }
        command_.selection.anyOf.back().push_back(std::move(condition));
        return kOk;
    }

    const std::vector<std::string_view>& words_;
    SelectCommand& command_;
    std::string& message_;
    std::size_t at_ = 0;
};

}  // namespace

int ParseSelectCommand(std::string_view text, SelectCommand& command, std::string& message) {
    command = SelectCommand{};
    message.clear();
    std::vector<std::string_view> words;
    const bool split = SplitWords(text, words);
    if (words.empty() && split) {
        message = "No command was given.";
        return kUnknownCommand;
    }
    const std::string verb = UpperCase(words.empty() ? text : words[0]);
    if (verb != "SSELECT" && verb != "SELECT") {
        message = "Unknown command " + Quoted(words.empty() ? text : words[0]) +
                  ": the engine runs SSELECT, SELECT and CD.";
        return kUnknownCommand;
    }
    if (!split) {
        message = "A quoted value has no closing quote.";
        return kCommandSyntax;
    }
    if (words.size() >= 2 && UpperCase(words[1]) == "VOC") {
        // The engine's VOC holds file pointers only, so the selection of the file
        // pointers (F and Q items) is the whole of it.
        std::string clauses;
        for (std::size_t i = 2; i < words.size(); ++i) {
            clauses += (i > 2 ? " " : "") + UpperCase(words[i]);
        }
        if (!clauses.empty() && clauses != kFilePointersOnly) {
            message = verb + " VOC takes no clause but " + kFilePointersOnly + ".";
            return kCommandSyntax;
        }
        command.listsFiles = true;
        command.sortById = true;
        command.fileName = "VOC";
        return kOk;
    }
    command.dictionary = words.size() >= 2 && UpperCase(words[1]) == "DICT";
    const std::size_t nameAt = command.dictionary ? 2 : 1;
    if (words.size() <= nameAt) {
        message = verb + (command.dictionary ? " DICT" : "") + " needs a file name.";
        return kCommandSyntax;
    }
    command.sortById = verb == "SSELECT";
    command.fileName = std::string(words[nameAt]);
    return ClauseParser(words, command, message).Parse(nameAt + 1);
}

}  // namespace mv

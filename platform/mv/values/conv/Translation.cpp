// SPDX-License-Identifier: MIT
// The T conversion: Tn and Tm,n take characters of the value; T[DICT ]file;c[v];i;o[;b]
// translates the value through a field of the record it names in another file.
#include <algorithm>
#include <vector>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/values/RecordSource.h"
#include "platform/mv/values/conv/Converters.h"

namespace mv::values::conv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::size_t> Count(std::string_view text) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(std::stoul(std::string(text)));
}

// Tn: the first n characters; Tm,n: n characters from the m-th (from 1).
std::optional<Converted> Substring(std::string_view value, std::string_view positions) {
    std::size_t comma = positions.find(',');
    std::size_t start = 1;
    std::optional<std::size_t> length;
    if (comma == std::string_view::npos) {
        length = Count(positions);
    } else {
        auto first = Count(positions.substr(0, comma));
        if (!first) {
            return std::nullopt;
        }
        start = std::max<std::size_t>(*first, 1);
        length = Count(positions.substr(comma + 1));
    }
    if (!length) {
        return std::nullopt;
    }
    if (start > value.size()) {
        return Converted{};
    }
    return Converted{std::string(value.substr(start - 1, *length)), {}, true};
}

struct TranslationCode {
    std::string file;
    bool dictionary = false;
    char onMissing = 'C';  // C V X I O
    std::optional<std::size_t> valueNumber;
    std::optional<std::size_t> inputField;
    std::optional<std::size_t> outputField;
};

std::optional<std::size_t> OptionalCount(std::string_view text, bool& ok) {
    if (text.empty()) {
        return std::nullopt;
    }
    auto n = Count(text);
    ok = ok && n.has_value();
    return n;
}

std::optional<TranslationCode> ParseTranslationCode(std::string_view code) {
    std::vector<std::string_view> parts;
    std::string_view rest = code.substr(1);
    for (std::size_t semicolon; (semicolon = rest.find(';')) != std::string_view::npos;) {
        parts.push_back(rest.substr(0, semicolon));
        rest.remove_prefix(semicolon + 1);
    }
    parts.push_back(rest);
    if (parts.size() < 2 || parts.size() > 5) {
        return std::nullopt;
    }
    TranslationCode translation;
    std::string_view file = parts[0];
    if (file.substr(0, 5) == "DICT ") {
        translation.dictionary = true;
        file.remove_prefix(5);
    }
    if (file.empty()) {
        return std::nullopt;
    }
    translation.file = std::string(file);
    std::string_view letter = parts[1];
    if (letter.empty() || std::string_view("CVXIO").find(letter[0]) == std::string_view::npos) {
        return std::nullopt;
    }
    translation.onMissing = letter[0];
    bool ok = true;
    translation.valueNumber = OptionalCount(letter.substr(1), ok);
    if (parts.size() > 2) {
        translation.inputField = OptionalCount(parts[2], ok);
    }
    if (parts.size() > 3) {
        translation.outputField = OptionalCount(parts[3], ok);
    }
    if (!ok) {
        return std::nullopt;
    }
    return translation;
}

// Field `field` (0: the id) of a record, and its value `valueNumber` when given.
std::string Extract(const std::string& id, const std::string& record, std::size_t field,
                    std::optional<std::size_t> valueNumber) {
    if (field == 0) {
        return id;
    }
    auto part = [](std::string_view text, char mark, std::size_t n) {
        for (std::size_t i = 1; i < n; ++i) {
            std::size_t at = text.find(mark);
            if (at == std::string_view::npos) {
                return std::string_view();
            }
            text.remove_prefix(at + 1);
        }
        return text.substr(0, text.find(mark));
    };
    std::string_view found = part(record, '\xFE', field);
    if (valueNumber && *valueNumber > 0) {
        found = part(found, '\xFD', *valueNumber);
    }
    return std::string(found);
}

std::string FileText(const TranslationCode& code) {
    return (code.dictionary ? "DICT " : "") + code.file;
}

Converted Translate(std::string_view value, const TranslationCode& code, Direction direction,
                    RecordSource* source) {
    std::optional<std::size_t> field =
        direction == Direction::kOutput ? code.outputField : code.inputField;
    if (value.empty() || !field) {
        return {std::string(value), {}, true};
    }
    if (source == nullptr) {
        return {std::string(value), "TRANS: needs the account to read " + FileText(code), true};
    }
    std::string id(value);
    std::string record;
    int status = source->Read(code.file, code.dictionary, id, record);
    std::string translated;
    std::string note;
    if (status == kOk) {
        translated = Extract(id, record, *field, code.valueNumber);
        if (!translated.empty()) {
            return {translated, {}, true};
        }
    } else if (status == kNoSuchDictionary) {
        note = "TRANS: no file " + FileText(code) + " in this account";
    } else if (status != kRecordNotFound) {
        note = "TRANS: " + FileText(code) + " could not be read (error " + std::to_string(status) +
               ")";
    }
    // Missing record or empty field: C keeps the value, X gives nothing, V refuses; I
    // refuses on input only and O on output only, keeping the value otherwise.
    char rule = code.onMissing;
    if (rule == 'I') {
        rule = direction == Direction::kInput ? 'V' : 'C';
    } else if (rule == 'O') {
        rule = direction == Direction::kOutput ? 'V' : 'C';
    }
    if (rule == 'C') {
        return {std::string(value), note, true};
    }
    if (rule == 'V' && note.empty()) {
        note = status == kOk ? "TRANS: record " + id + " of " + FileText(code) +
                                   " has no value in field " + std::to_string(*field)
                             : "TRANS: no record " + id + " in " + FileText(code);
    }
    return {{}, note, rule == 'X'};
}

}  // namespace

std::optional<Converted> ConvertTranslation(std::string_view value, std::string_view code,
                                            Direction direction, RecordSource* source) {
    if (code.find(';') == std::string_view::npos) {
        return Substring(value, code.substr(1));
    }
    auto translation = ParseTranslationCode(code);
    if (!translation) {
        return std::nullopt;
    }
    return Translate(value, *translation, direction, source);
}

}  // namespace mv::values::conv

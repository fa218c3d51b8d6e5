// SPDX-License-Identifier: MIT
// Oconv and Iconv: each code of a list, in order, on each value and subvalue.
#include <algorithm>
#include <vector>

#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/conv/Converters.h"

namespace mv::values {

namespace {

using conv::Direction;

constexpr char kValueMark = '\xFD';

bool IsMark(char c) {
    return c == '\xFE' || c == '\xFD' || c == '\xFC';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// One code on one value without marks, by the letters it starts with.
std::optional<Converted> ConvertOne(std::string_view value, std::string_view code,
                                    Direction direction, RecordSource* source) {
    if (StartsWith(code, "MT")) {
        return conv::ConvertTime(value, code, direction);
    }
    if (StartsWith(code, "MD") || StartsWith(code, "MR") || StartsWith(code, "ML")) {
        return conv::ConvertMaskedDecimal(value, code, direction);
    }
    if (StartsWith(code, "MC")) {
        return conv::ConvertCharacters(value, code, direction);
    }
    if (StartsWith(code, "MX") || StartsWith(code, "MO") || StartsWith(code, "MB")) {
        return conv::ConvertRadix(value, code, direction);
    }
    switch (code[0]) {
        case 'D':
            return conv::ConvertDate(value, code, direction);
        case 'G':
            return conv::ConvertGroup(value, code);
        case 'L':
            return conv::ConvertLength(value, code);
        case 'R':
            return conv::ConvertRange(value, code);
        case 'P':
            return conv::ConvertPattern(value, code);
        case 'T':
            return conv::ConvertTranslation(value, code, direction, source);
        default:
            return std::nullopt;
    }
}

void AddNote(std::vector<std::string>& notes, std::string note) {
    if (!note.empty() && std::find(notes.begin(), notes.end(), note) == notes.end()) {
        notes.push_back(std::move(note));
    }
}

// One code on every value and subvalue of `value`, the marks kept.
std::string ConvertEach(std::string_view value, std::string_view code, Direction direction,
                        RecordSource* source, std::vector<std::string>& notes, bool& valid) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && !IsMark(value[i])) {
            continue;
        }
        std::string_view piece = value.substr(start, i - start);
        if (auto converted = ConvertOne(piece, code, direction, source)) {
            out += converted->value;
            valid = valid && converted->valid;
            AddNote(notes, std::move(converted->note));
        } else {
            out += piece;
            AddNote(notes, "not converted: " + std::string(code));
        }
        if (i < value.size()) {
            out.push_back(value[i]);
        }
        start = i + 1;
    }
    return out;
}

Converted Convert(std::string_view value, std::string_view codes, Direction direction,
                  RecordSource* source) {
    // One code on one value, as most fields are, without the copies of the general case.
    if (codes.find(kValueMark) == std::string_view::npos &&
        std::none_of(value.begin(), value.end(), IsMark)) {
        const std::string_view code = TrimBlanks(codes);
        if (code.empty()) {
            return {std::string(value), {}, true};
        }
        if (std::optional<Converted> converted = ConvertOne(value, code, direction, source)) {
            return std::move(*converted);
        }
        return {std::string(value), "not converted: " + std::string(code), true};
    }
    std::string current(value);
    std::vector<std::string> notes;
    bool valid = true;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= codes.size(); ++i) {
        if (i < codes.size() && codes[i] != kValueMark) {
            continue;
        }
        std::string_view code = TrimBlanks(codes.substr(start, i - start));
        start = i + 1;
        if (!code.empty()) {
            current = ConvertEach(current, code, direction, source, notes, valid);
        }
    }
    Converted result;
    result.value = std::move(current);
    result.valid = valid;
    for (const std::string& note : notes) {
        result.note += (result.note.empty() ? "" : "; ") + note;
    }
    return result;
}

}  // namespace

Converted Oconv(std::string_view value, std::string_view code, RecordSource* source) {
    return Convert(value, code, Direction::kOutput, source);
}

Converted Iconv(std::string_view value, std::string_view code, RecordSource* source) {
    return Convert(value, code, Direction::kInput, source);
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "cli/Equates.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace cli {
namespace {

constexpr char kFieldMark = '\xFE';
// How much of a field 2 that is no number a comment line shows.
constexpr std::size_t kShownValueBytes = 40;

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Letters, digits, periods and dollar signs are what the BASIC dialects of these systems
// share for a name after its first letter; underscores and percent signs are accepted by
// some and not by others.
bool IsNameByte(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '$';
}

// Field `number` (from 1) of record, empty when the record has fewer fields.
std::string_view Field(std::string_view record, int number) {
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) {
        const std::size_t mark = record.find(kFieldMark, start);
        if (mark == std::string_view::npos) {
            return {};
        }
        start = mark + 1;
    }
    const std::size_t end = record.find(kFieldMark, start);
    return record.substr(start, end == std::string_view::npos ? end : end - start);
}

// D (with any letters after it, as in "DATA"), and the A and S items of Pick-style
// dictionaries, hold a field number in field 2; I, V, PH, X and the rest do not.
bool HoldsFieldNumber(std::string_view typeCode) {
    if (typeCode.empty()) {
        return false;
    }
    const char first = typeCode.front();
    return first == 'D' || first == 'd' || first == 'A' || first == 'a' || first == 'S' ||
           first == 's';
}

// The whole decimal number in text, blanks around it allowed, without its leading zeros
// ("0" for zero); nothing for anything else, a sign, a point or a value mark included. The
// number is kept as digits so that no length of it can overflow.
std::optional<std::string> FieldNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const std::size_t significant = text.find_first_not_of('0');
    return std::string(significant == std::string_view::npos ? "0" : text.substr(significant));
}

// Numeric order of two numbers without leading zeros.
bool NumberLess(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// text for a comment line: every byte other than printable ASCII (so also the marks, which
// would split the line once the include is stored as an item) as \xNN, and with quoted
// also the quote and the backslash, so that the line says unambiguously which id it means.
std::string Shown(std::string_view text, bool quoted) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown = quoted ? "\"" : "";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || (quoted && (c == '"' || c == '\\'))) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        } else {
            shown += c;
        }
    }
    if (quoted) {
        shown += '"';
    }
    return shown;
}

struct Candidate {
    const std::string* id;
    std::string number;
    bool exact;  // prefix and id needed no change to make the name
};

}  // namespace

std::string BasicName(std::string_view prefixAndId) {
    std::string name;
    name.reserve(prefixAndId.size() + 1);
    if (prefixAndId.empty() || !IsLetter(prefixAndId.front())) {
        name += 'X';
    }
    for (const char c : prefixAndId) {
        name += IsNameByte(c) ? c : '.';
    }
    return name;
}

std::string EquatesInclude(const std::string& fileName,
                           const std::map<std::string, std::string>& items,
                           const std::string& prefix) {
    // Notes by id, so that they come out in the order of the ids whatever found them.
    std::map<std::string, std::string> notes;
    std::map<std::string, std::vector<Candidate>> byName;
    for (const auto& [id, record] : items) {
        if (!HoldsFieldNumber(Field(record, 1))) {
            continue;
        }
        const std::string_view field2 = Field(record, 2);
        std::optional<std::string> number = FieldNumber(field2);
        if (!number) {
            std::string value = Shown(field2.substr(0, kShownValueBytes), true);
            if (field2.size() > kShownValueBytes) {
                value += "...";
            }
            notes[id] = "field 2 " + value + " is not a field number";
            continue;
        }
        if (*number == "0") {
            continue;  // the item id itself: no field to name
        }
        const std::string spelled = prefix + id;
        std::string name = BasicName(spelled);
        const bool exact = name == spelled;
        byName[std::move(name)].push_back(Candidate{&id, std::move(*number), exact});
    }

    // Two ids may make the same name. Where they agree on the field, one line serves both.
    // Where they do not, an id that is that name exactly keeps it (a program that says A.B
    // means the item A.B) and the others are left out with a note; with no such id the name
    // goes to none of them, rather than to whichever happens to sort first.
    std::vector<std::pair<std::string, std::string>> equates;  // number, name
    for (const auto& [name, candidates] : byName) {
        const auto exact = std::find_if(candidates.begin(), candidates.end(),
                                        [](const Candidate& c) { return c.exact; });
        const std::string& number =
            exact != candidates.end() ? exact->number : candidates.front().number;
        const bool kept = exact != candidates.end() ||
                          std::all_of(candidates.begin(), candidates.end(),
                                      [&number](const Candidate& c) { return c.number == number; });
        if (kept) {
            equates.emplace_back(number, name);
        }
        for (const Candidate& c : candidates) {
            if (kept && c.number == number) {
                continue;
            }
            notes[*c.id] = "field " + c.number + ": the name " + name +
                           (exact != candidates.end() ? " belongs to " + Shown(*exact->id, true) +
                                                            " (field " + exact->number + ")"
                                                      : " stands for several fields");
        }
    }
    std::sort(equates.begin(), equates.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? NumberLess(a.first, b.first) : a.second < b.second;
    });

    std::string include = "* Field equates of the dictionary of " + Shown(fileName, false) +
                          ", made by kelvora-cmd equates\n";
    for (const auto& [number, name] : equates) {
        include += "EQUATE " + name + " TO " + number + "\n";
    }
    for (const auto& [id, note] : notes) {
        include += "* Not equated: " + Shown(id, true) + ", " + note + "\n";
    }
    return include;
}

}  // namespace cli

// SPDX-License-Identifier: MIT
// The sort order of SSELECT, through the local engine on a real dictionary folder, against
// a plain reference comparator written here from the documented order.
// Input: the first line holds the BY / BY.DSND clauses ("BY LOC BY.DSND F1"); every
// other line is an item, its id up to the first tab and its record after it (field
// marks as 0xFE). The engine's list must hold exactly the items it stored, in the
// reference order: each key in turn, ties falling to the next, finally to the id.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/SelectCommand.h"
#include "platform/mv/SortKeys.h"

namespace {

constexpr std::size_t kMaxItems = 24;  // enough for any ordering fault, and quick

std::string_view FieldOf(std::string_view record, int n) {
    for (int i = 1; i < n; ++i) {
        const std::size_t mark = record.find('\xFE');
        if (mark == std::string_view::npos) {
            return {};
        }
        record.remove_prefix(mark + 1);
    }
    return record.substr(0, record.find('\xFE'));
}

int ByteOrder(std::string_view a, std::string_view b) {
    const bool less =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    return less ? -1 : (a == b ? 0 : 1);
}

// A decimal number split into sign and digits; ok is false for anything else.
struct Number {
    bool ok = false;
    bool negative = false;
    std::string whole, fraction;
};

Number ReadNumber(std::string_view text) {
    Number number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i++] == '-';
    }
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < text.size() && digit(text[i])) {
        number.whole += text[i++];
    }
    if (number.whole.empty()) {
        return number;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && digit(text[i])) {
            number.fraction += text[i++];
        }
        if (number.fraction.empty()) {
            return number;
        }
    }
    number.ok = i == text.size();
    return number;
}

// Numbers compared by value: both padded to the same width on each side of the point,
// then compared as digit strings.
int NumberOrder(Number a, Number b) {
    const std::size_t wholeWidth = std::max(a.whole.size(), b.whole.size());
    const std::size_t fractionWidth = std::max(a.fraction.size(), b.fraction.size());
    for (Number* n : {&a, &b}) {
        n->whole.insert(0, wholeWidth - n->whole.size(), '0');
        n->fraction.append(fractionWidth - n->fraction.size(), '0');
    }
    const std::string magnitudeA = a.whole + a.fraction;
    const std::string magnitudeB = b.whole + b.fraction;
    const auto sign = [](const Number& n, const std::string& magnitude) {
        if (magnitude.find_first_not_of('0') == std::string::npos) {
            return 0;
        }
        return n.negative ? -1 : 1;
    };
    const int signA = sign(a, magnitudeA);
    const int signB = sign(b, magnitudeB);
    if (signA != signB) {
        return signA < signB ? -1 : 1;
    }
    const int c = ByteOrder(magnitudeA, magnitudeB);
    return signA < 0 ? -c : c;
}

// Right-justified: empty first, then numbers by value, then other text by length and
// then byte by byte.
int RightOrder(std::string_view a, std::string_view b) {
    const Number na = ReadNumber(a);
    const Number nb = ReadNumber(b);
    const auto rank = [](std::string_view text, const Number& n) {
        return text.empty() ? 0 : (n.ok ? 1 : 2);
    };
    const int ra = rank(a, na);
    const int rb = rank(b, nb);
    if (ra != rb) {
        return ra < rb ? -1 : 1;
    }
    if (ra == 1) {
        return NumberOrder(na, nb);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return ByteOrder(a, b);
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

struct Item {
    std::string id;
    std::string record;
};

std::string_view KeyText(const Item& item, const mv::SortKey& key) {
    return key.field == 0 ? std::string_view(item.id) : FieldOf(item.record, key.field);
}

int KeyOrder(std::string_view a, std::string_view b, const mv::SortKey& key) {
    const int c =
        key.justification == mv::Justification::kLeft ? ByteOrder(a, b) : RightOrder(a, b);
    return key.descending ? -c : c;
}

mv::LocalEngine& Engine(int& handle) {
    static std::shared_ptr<mv::LocalEngine> engine;
    static int openHandle = 0;
    if (!engine) {
        const std::string account = fuzz::ScratchFolder() + "/sort-account";
        std::filesystem::create_directories(account + "/D_F");
        fuzz::Require(mv::LocalEngine::Open(account, engine) == mv::kOk, "the account opens");
        fuzz::Require(engine->OpenDictionary("F", openHandle) == mv::kOk, "the dictionary opens");
    }
    handle = openHandle;
    return *engine;
}

void EmptyDictionary() {
    std::error_code error;
    const std::string folder = fuzz::ScratchFolder() + "/sort-account/D_F";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::filesystem::remove(entry.path(), error);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstEnd = input.find('\n');
    const std::string command = "SSELECT DICT F " + std::string(input.substr(0, firstEnd));
    input = firstEnd == std::string_view::npos ? std::string_view() : input.substr(firstEnd + 1);

    mv::SelectCommand parsed;
    std::string message;
    const int parseError = mv::ParseSelectCommand(command, parsed, message);

    int handle = 0;
    mv::LocalEngine& engine = Engine(handle);
    EmptyDictionary();
    std::map<std::string, std::string> stored;
    std::size_t lines = 0;
    while (!input.empty() && lines++ < kMaxItems) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        const std::size_t tab = line.find('\t');
        Item item{std::string(line.substr(0, tab)), tab == std::string_view::npos
                                                        ? std::string()
                                                        : std::string(line.substr(tab + 1))};
        const int error = engine.Write(handle, item.id, item.record, /*keepLock=*/false);
        if (error == mv::kOk) {
            stored[item.id] = item.record;
        } else {
            Require(error == mv::kBadItemId, "only an id too long or empty is refused", item.id);
        }
    }

    const mv::CommandResult result = engine.Execute(command);
    Require(result.error == parseError, "the engine runs what the parser accepts", command);
    // Only the order is checked here: a selection or a sample keeps part of the items.
    if (parseError != mv::kOk || !parsed.selection.Empty() || parsed.sample != 0) {
        return 0;
    }

    std::vector<Item> expected;
    for (const auto& [id, record] : stored) {
        expected.push_back({id, record});
    }
    std::sort(expected.begin(), expected.end(), [&](const Item& a, const Item& b) {
        for (const mv::SortKey& key : parsed.keys) {
            if (const int c = KeyOrder(KeyText(a, key), KeyText(b, key), key)) {
                return c < 0;
            }
        }
        return ByteOrder(a.id, b.id) < 0;
    });

    // The comparisons one by one first, so a fault names the two texts at fault.
    for (std::size_t i = 1; i < expected.size(); ++i) {
        for (const mv::SortKey& key : parsed.keys) {
            const std::string_view a = KeyText(expected[i - 1], key);
            const std::string_view b = KeyText(expected[i], key);
            const bool left = key.justification == mv::Justification::kLeft;
            const int engineOrder = left ? mv::CompareLeft(a, b) : mv::CompareRight(a, b);
            const int reference = left ? ByteOrder(a, b) : RightOrder(a, b);
            Require(Sign(engineOrder) == reference,
                    left ? "CompareLeft agrees with the reference"
                         : "CompareRight agrees with the reference",
                    std::string(a) + " | " + std::string(b));
        }
    }

    Require(result.ids.size() == expected.size(), "the list holds every stored item", command);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Require(result.ids[i] == expected[i].id, "SSELECT orders as the reference does",
                command + " | position " + std::to_string(i) + ": " + result.ids[i] +
                    " where the reference has " + expected[i].id);
    }
    return 0;
}

// SPDX-License-Identifier: MIT
// The constants file that names the error codes. Beyond not crashing on any bytes:
// - the table holds exactly the codes of the lines that name one, each with the name of
//   the first line that names it (lines split at CR, LF or CRLF, checked against a
//   splitter written here);
// - every code is written the one way ToDecimalText writes it, reads back as the same
//   number, and is found as a number as well as as text;
// - loading the same bytes from a file gives the same table.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorTable.h"
#include "core/NumericText.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

void CheckSameTable(const core::ErrorTable& table, const std::map<std::string, std::string>& names,
                    const char* property, std::string_view text) {
    fuzz::Require(table.size() == names.size(), property, text);
    for (const auto& [key, name] : names) {
        fuzz::Require(table.Name(key) == name, property, key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::map<std::string, std::string> expected;
    for (const std::string_view line : SplitLines(text)) {
        if (const auto entry = core::ErrorTable::ParseLine(line)) {
            expected.try_emplace(entry->key, entry->name);
        }
    }
    core::ErrorTable table;
    table.LoadText(text);
    CheckSameTable(table, expected, "each code has the name of its first line", text);

    for (const auto& [key, name] : expected) {
        const std::optional<double> value = core::NumericText::Read(key);
        Require(value.has_value() && *value != 0.0, "a code reads back as a number", key);
        Require(core::NumericText::ToDecimalText(*value) == key, "a code is written one way", key);
        int code = 0;
        const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), code);
        if (error == std::errc() && end == key.data() + key.size()) {
            Require(table.Name(code) == name, "a whole code is found as a number", key);
        }
    }

    const std::string path = fuzz::ScratchFolder() + "/Uvoaif.txt";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(size));
    core::ErrorTable loaded;
    Require(loaded.Load(path), "a readable file loads", path);
    CheckSameTable(loaded, expected, "a file loads as its text does", text);
    return 0;
}

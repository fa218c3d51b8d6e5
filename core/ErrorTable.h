// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace core {

// The names of the server's error codes, read from the client library's constants file.
// Keys are the codes as decimal text ("39101", "-5"), values the names shown to the user,
// both as the file's bytes (Latin-1).
class ErrorTable {
public:
    struct Entry {
        std::string key;
        std::string name;
    };

    // The entry a line of the constants file gives, or nullopt when the line is not used:
    // it lacks "UVE_" (in any case) or its code reads as 0.
    static std::optional<Entry> ParseLine(std::string_view line);

    // Replaces the table with the entries of the file at path. Lines end with CR, CRLF or
    // LF. When a code occurs on two lines the first one wins. False, with the table left
    // empty, when the file cannot be read.
    bool Load(const std::string& path);
    // The same for the file's contents already in memory.
    void LoadText(std::string_view text);

    std::optional<std::string> Name(std::string_view key) const;
    std::optional<std::string> Name(int code) const;
    std::size_t size() const { return names_.size(); }
    bool empty() const { return names_.empty(); }

private:
    std::unordered_map<std::string, std::string> names_;
};

}  // namespace core

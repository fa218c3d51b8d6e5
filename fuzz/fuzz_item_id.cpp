// SPDX-License-Identifier: MIT
// Item ids and the file names they become. The input is taken both as an id and as a
// file name found in a dictionary folder:
// - an id escapes exactly as the written rule says (checked against a plain
//   reimplementation of it here), into one legal path component that unescapes back;
// - a file name unescapes only when it is the one spelling escaping gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/mv/ItemIdEscaping.h"

namespace {

bool IsWindowsReserved(unsigned char c) {
    return std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, PRN, AUX, NUL, COM1..9 and LPT1..9 in any case, up to the first dot, blanks
// before that dot ignored.
bool NamesDevice(std::string_view id) {
    std::string base;
    for (const char c : id.substr(0, id.find('.'))) {
        base.push_back(Upper(c));
    }
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (base == device) {
            return true;
        }
    }
    for (const char* prefix : {"COM", "LPT"}) {
        for (char digit = '1'; digit <= '9'; ++digit) {
            if (base == std::string(prefix) + digit) {
                return true;
            }
        }
    }
    return false;
}

// The rule as written for users: % and the bytes file systems refuse or change become
// %XX in upper-case hex, and so do a leading dot, a trailing blank or dot and the first
// letter of a device name; nothing else changes. Nullopt-like false when the id is empty
// or its name would pass 255 bytes.
bool ReferenceEscape(std::string_view id, std::string& name) {
    name.clear();
    if (id.empty()) {
        return false;
    }
    const bool device = NamesDevice(id);
    for (std::size_t i = 0; i < id.size(); ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        const bool first = i == 0;
        const bool last = i + 1 == id.size();
        if (c == '%' || IsWindowsReserved(c) || c < 0x20 || c >= 0x7F || (first && c == '.') ||
            (first && device) || (last && (c == ' ' || c == '.'))) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 0xF];
        } else {
            name += static_cast<char>(c);
        }
    }
    return name.size() <= 255;
}

// A name every supported file system takes as one entry of the folder it is made in.
void RequireLegalName(std::string_view name) {
    using fuzz::Require;
    Require(!name.empty() && name.size() <= mv::kMaxFileNameBytes, "name length 1..255", name);
    Require(name != "." && name != "..", "name is not . or ..", name);
    Require(name.front() != '.', "name does not start with a dot", name);
    Require(name.back() != ' ' && name.back() != '.', "name ends in neither blank nor dot", name);
    Require(!NamesDevice(name), "name is not a device name", name);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        Require(c >= 0x20 && c < 0x7F && !IsWindowsReserved(c), "name holds printable ASCII only",
                name);
        if (c == '%') {
            const auto hex = [](char h) {
                return (h >= '0' && h <= '9') || (h >= 'A' && h <= 'F');
            };
            Require(i + 2 < name.size() && hex(name[i + 1]) && hex(name[i + 2]),
                    "every % is followed by two upper-case hex digits", name);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // As an id.
    std::string name;
    std::string expected;
    const bool escaped = mv::EscapeItemId(input, name);
    const bool storable = ReferenceEscape(input, expected);
    Require(escaped == storable, "an id is refused exactly when empty or too long", input);
    if (escaped) {
        Require(name == expected, "escaping follows the written rule", input);
        RequireLegalName(name);
        std::string back;
        Require(mv::UnescapeFileName(name, back), "an escaped name unescapes", name);
        Require(back == input, "unescape(escape(id)) == id", input);
    }

    // As a file name found on disk.
    std::string id;
    if (mv::UnescapeFileName(input, id)) {
        std::string again;
        Require(mv::EscapeItemId(id, again) && again == input,
                "a name that unescapes is the escaped form of its id", input);
    } else {
        // Refused: then no id escapes to this name. Decoding every well-formed %XX (any
        // case) gives the only id that could; its escaped name must differ.
        std::string decoded;
        bool wellFormed = true;
        for (std::size_t i = 0; i < input.size() && wellFormed; ++i) {
            if (input[i] != '%') {
                decoded.push_back(input[i]);
                continue;
            }
            const auto value = [](char h) {
                const char u = Upper(h);
                return u >= '0' && u <= '9' ? u - '0' : (u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1);
            };
            wellFormed =
                i + 2 < input.size() && value(input[i + 1]) >= 0 && value(input[i + 2]) >= 0;
            if (wellFormed) {
                decoded.push_back(
                    static_cast<char>(value(input[i + 1]) * 16 + value(input[i + 2])));
                i += 2;
            }
        }
        Require(!wellFormed || !ReferenceEscape(decoded, expected) || expected != input,
                "the escaped name of an id is never refused", input);
    }
    return 0;
}

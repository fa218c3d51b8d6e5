// SPDX-License-Identifier: MIT
// The MC conversions: letter case, keeping or dropping kinds of characters, replacing
// text, and hexadecimal.
#include <cctype>

#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/Radix.h"

namespace mv::values::conv {

namespace {

// Kinds of characters, by the ASCII rules whatever the locale: bytes above 0x7F are
// neither letters nor digits.
bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

template <typename Keep>
Converted Kept(std::string_view value, Keep keep) {
    std::string out;
    for (char c : value) {
        if (keep(static_cast<unsigned char>(c))) {
            out.push_back(c);
        }
    }
    return {out, {}, true};
}

template <typename Change>
Converted Changed(std::string_view value, Change change) {
    std::string out(value);
    for (char& c : out) {
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    }
    return {out, {}, true};
}

unsigned char Upper(unsigned char c) {
    return IsLetter(c) ? std::toupper(c) & 0xFF : c;
}
unsigned char Lower(unsigned char c) {
    return IsLetter(c) ? std::tolower(c) & 0xFF : c;
}

// Each word (a run of characters between blanks) with its first letter in capitals and
// the rest in small letters.
Converted TitleCase(std::string_view value) {
    std::string out(value);
    bool startOfWord = true;
    for (char& c : out) {
        auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(startOfWord ? Upper(byte) : Lower(byte));
        startOfWord = c == ' ';
    }
    return {out, {}, true};
}

// MCC;old;new: every occurrence of old replaced by new.
std::optional<Converted> Replaced(std::string_view value, std::string_view code) {
    if (code.size() < 4 || code[3] != ';') {
        return std::nullopt;
    }
    std::string_view rest = code.substr(4);
    std::size_t split = rest.find(';');
    if (split == std::string_view::npos || split == 0) {
        return std::nullopt;
    }
    std::string_view from = rest.substr(0, split);
    std::string_view to = rest.substr(split + 1);
    // A long replacement of a frequent text could multiply the value's size: past four
    // times the value and 64 KiB the value is left as it is.
    const std::size_t limit = 4 * value.size() + 65536;
    std::string out;
    std::size_t at = 0;
    for (std::size_t found; (found = value.find(from, at)) != std::string_view::npos;) {
        out.append(value.substr(at, found - at));
        out.append(to);
        at = found + from.size();
        if (out.size() > limit) {
            return Converted{std::string(value), "MCC: the result would be too long", false};
        }
    }
    out.append(value.substr(at));
    return Converted{out, {}, true};
}

Converted FromRadix(std::optional<std::string> converted, std::string_view value,
                    Direction direction) {
    if (converted) {
        return {std::move(*converted), {}, true};
    }
    return direction == Direction::kOutput ? Unconvertible(value) : Rejected();
}

}  // namespace

std::optional<Converted> ConvertCharacters(std::string_view value, std::string_view code,
                                           Direction direction) {
    if (code.substr(0, 3) == "MCC") {
        return Replaced(value, code);
    }
    std::string_view kind = code.substr(2);
    bool output = direction == Direction::kOutput;
    if (kind == "U") {
        return Changed(value, Upper);
    }
    if (kind == "L") {
        return Changed(value, Lower);
    }
    if (kind == "T") {
        return TitleCase(value);
    }
    if (kind == "N") {
        return Kept(value, IsDigit);
    }
    if (kind == "/N") {
        return Kept(value, [](unsigned char c) { return !IsDigit(c); });
    }
    if (kind == "A") {
        return Kept(value, IsLetter);
    }
    if (kind == "/A") {
        return Kept(value, [](unsigned char c) { return !IsLetter(c); });
    }
    if (kind == "B") {
        return Kept(value, [](unsigned char c) { return IsLetter(c) || IsDigit(c); });
    }
    if (kind == "/B") {
        return Kept(value, [](unsigned char c) { return !IsLetter(c) && !IsDigit(c); });
    }
    if (kind == "P") {
        return Changed(value, [](unsigned char c) { return c < 0x20 || c == 0x7F ? '.' : c; });
    }
    if (value.empty() && (kind == "X" || kind == "XD" || kind == "D" || kind == "DX" ||
                          kind == "AX" || kind == "XA")) {
        return Converted{};
    }
    // MCX: hexadecimal to decimal; MCD: decimal to hexadecimal; ICONV goes back.
    if (kind == "X" || kind == "XD" || kind == "D" || kind == "DX") {
        bool toDecimal = (kind[0] == 'X') == output;
        return FromRadix(toDecimal ? RadixToDecimal(value, 16) : DecimalToRadix(value, 16), value,
                         direction);
    }
    // MCAX: characters to their hexadecimal codes; MCXA: back.
    if (kind == "AX" || kind == "XA") {
        bool toHex = (kind == "AX") == output;
        return FromRadix(toHex ? BytesToHex(value) : HexToBytes(value), value, direction);
    }
    return std::nullopt;
}

}  // namespace mv::values::conv

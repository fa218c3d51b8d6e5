// SPDX-License-Identifier: MIT
#include "core/ItemText.h"

namespace core {

namespace {

constexpr char kFieldMark = '\xFE';
constexpr char kValueMark = '\xFD';
constexpr char kSubvalueMark = '\xFC';
constexpr char kTextMark = '\xFB';

// The length of the valid UTF-8 sequence of two to four bytes starting at text[at], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned int lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    unsigned int code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string ItemText(std::string_view record) {
    std::string text;
    text.reserve(record.size() + record.size() / 8 + 1);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t at = 0; at < record.size();) {
        const char c = record[at];
        const auto byte = static_cast<unsigned char>(c);
        if (c == kFieldMark) {
            text += '\n';
        } else if (c == '\\') {
            text += "\\\\";
        } else if (c == kValueMark) {
            text += "\\]";
        } else if (c == kSubvalueMark) {
            text += "\\}";
        } else if (c == kTextMark) {
            text += "\\|";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else if (const std::size_t length = byte >= 0x80 ? Utf8Length(record, at) : 0) {
            text.append(record.substr(at, length));
            at += length;
            continue;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
        ++at;
    }
    text += '\n';
    return text;
}

bool RecordOfText(std::string_view text, std::string& record, std::string& why) {
    record.clear();
    if (text.empty() || text.back() != '\n') {
        why = "the file does not end with a line end";
        return false;
    }
    text.remove_suffix(text.ends_with("\r\n") ? 2 : 1);
    record.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\n') {
            record += kFieldMark;
            continue;
        }
        // A file that went through an editor or a checkout of Windows ends its lines with
        // CR LF; a dump writes a carriage return of the record as \x0D, so this is none.
        if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
            record += kFieldMark;
            ++at;
            continue;
        }
        if (c != '\\') {
            record += c;
            continue;
        }
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        switch (next) {
            case '\\':
                record += '\\';
                break;
            case ']':
                record += kValueMark;
                break;
            case '}':
                record += kSubvalueMark;
                break;
            case '|':
                record += kTextMark;
                break;
            case 'x': {
                const int high = at + 2 < text.size() ? HexDigit(text[at + 2]) : -1;
                const int low = at + 3 < text.size() ? HexDigit(text[at + 3]) : -1;
                if (high < 0 || low < 0) {
                    why = "\\x is not followed by two hex digits (0-9, A-F)";
                    return false;
                }
                record += static_cast<char>(high * 16 + low);
                at += 2;
                break;
            }
            default:
                why = "a backslash that starts no escape (write \\\\ for one backslash)";
                return false;
        }
        ++at;
    }
    return true;
}

}  // namespace core

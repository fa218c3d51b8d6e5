// SPDX-License-Identifier: MIT
#include "platform/mv/ItemIdEscaping.h"

namespace mv {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsUnsafeByte(unsigned char c) {
    switch (c) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
        case '%':
            return true;
        default:
            return c < 0x20 || c >= 0x7F;
    }
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (UpperAscii(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

// Windows reserves these names whatever follows the first dot, and ignores blanks
// before that dot.
bool IsWindowsDeviceName(std::string_view id) {
    std::string_view base = id.substr(0, id.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    if (base.size() == 3) {
        return EqualsUpper(base, "CON") || EqualsUpper(base, "PRN") || EqualsUpper(base, "AUX") ||
               EqualsUpper(base, "NUL");
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        return EqualsUpper(base.substr(0, 3), "COM") || EqualsUpper(base.substr(0, 3), "LPT");
    }
    return false;
}

void AppendEscaped(unsigned char c, std::string& out) {
    out.push_back('%');
    out.push_back(kHexDigits[c >> 4]);
    out.push_back(kHexDigits[c & 0x0F]);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;  // lower-case hex is never produced, so it is not accepted either
}

}  // namespace

bool EscapeItemId(std::string_view id, std::string& out) {
    out.clear();
    if (id.empty()) {
        return false;
    }
    const bool deviceName = IsWindowsDeviceName(id);
    const std::size_t last = id.size() - 1;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        const bool escape = IsUnsafeByte(c) || (i == 0 && (c == '.' || deviceName)) ||
                            (i == last && (c == ' ' || c == '.'));
        if (escape) {
            AppendEscaped(c, out);
        } else {
            out.push_back(static_cast<char>(c));
        }
        if (out.size() > kMaxFileNameBytes) {
            return false;
        }
    }
    return true;
}

bool UnescapeFileName(std::string_view name, std::string& id) {
    id.clear();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            id.push_back(name[i]);
            continue;
        }
        if (i + 2 >= name.size()) {
            return false;
        }
        const int high = HexValue(name[i + 1]);
        const int low = HexValue(name[i + 2]);
        if (high < 0 || low < 0) {
            return false;
        }
        id.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    // Only the one spelling EscapeItemId gives is an item: "%41" and "A" must not both
    // name item A.
    thread_local std::string again;
    return EscapeItemId(id, again) && again == name;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/LockHolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace mv {

namespace {

constexpr std::size_t kColumns = 7;

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            out.push_back('\\');
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
                   HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3])));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string UtcText(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (seconds <= 0 || ::gmtime_r(&time, &utc) == nullptr) {
        return "";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::int64_t FromUtcText(const std::string& text) {
    std::tm utc{};
    if (text.size() != 20 || ::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc) == nullptr) {
        return 0;
    }
    return static_cast<std::int64_t>(::timegm(&utc));
}

// The listing's lines, ended by a line feed, a carriage return and line feed, or a field
// mark (as some servers end the lines of a command's output).
std::vector<std::string_view> LinesOf(std::string_view listing) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= listing.size(); ++i) {
        if (i == listing.size() || listing[i] == '\n' || listing[i] == '\xFE') {
            std::string_view line = listing.substr(start, i - start);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            if (!line.empty() || i < listing.size()) {
                lines.push_back(line);
            }
            start = i + 1;
        }
    }
    return lines;
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == separator) {
            parts.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > ' ' && c != '"' && c != '\'' && c != ',' && c != ';' && c != '(' && c != ')';
}

}  // namespace

std::string LoginName() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return "";
}

std::string LockedByWords(const LockHolder& holder) {
    std::string words = "locked by ";
    if (!holder.user.empty()) {
        words += holder.user;
        if (holder.number != 0) {
            words += " (user " + std::to_string(holder.number) + ")";
        }
    } else {
        words += holder.number != 0 ? "user " + std::to_string(holder.number) : "another user";
        // The lines of a listing whose form is not known, as the server wrote them.
        for (std::size_t i = 0; i < holder.listed.size(); ++i) {
            words += (i == 0 ? " (the server's lock list: " : "; ") + holder.listed[i];
        }
        if (!holder.listed.empty()) {
            words += ")";
        }
    }
    if (holder.since > 0) {
        const auto then = static_cast<std::time_t>(holder.since);
        const std::time_t now = std::time(nullptr);
        std::tm thenLocal{};
        std::tm nowLocal{};
        if (::localtime_r(&then, &thenLocal) != nullptr &&
            ::localtime_r(&now, &nowLocal) != nullptr) {
            const bool today =
                thenLocal.tm_year == nowLocal.tm_year && thenLocal.tm_yday == nowLocal.tm_yday;
            char text[32];
            std::strftime(text, sizeof text, today ? "%H:%M" : "%Y-%m-%d %H:%M", &thenLocal);
            words += std::string(" since ") + text;
        }
    }
    return words;
}

std::string LockListing(const std::vector<LockHolder>& holders) {
    std::string listing(kLockListHeader);
    listing.push_back('\n');
    for (const LockHolder& holder : holders) {
        listing += std::to_string(holder.number) + '\t' + Escaped(holder.user) + '\t' +
                   Escaped(holder.address) + '\t' + Escaped(holder.file) + '\t' +
                   Escaped(holder.id) + '\t' + (holder.exclusive ? "exclusive" : "shared") + '\t' +
                   UtcText(holder.since) + '\n';
    }
    return listing;
}

bool HolderFromListing(std::string_view listing, std::string_view id, long number,
                       LockHolder& holder) {
    const std::vector<std::string_view> lines = LinesOf(listing);
    if (lines.empty() || lines.front() != kLockListHeader) {
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> columns = Split(lines[i], '\t');
        if (columns.size() != kColumns || Unescaped(columns[4]) != id) {
            continue;
        }
        const std::string user(columns[0]);
        char* end = nullptr;
        const long listedNumber = std::strtol(user.c_str(), &end, 10);
        if (end == user.c_str() || *end != '\0' || (number != 0 && listedNumber != number)) {
            continue;
        }
        holder.number = listedNumber;
        holder.user = Unescaped(columns[1]);
        holder.address = Unescaped(columns[2]);
        holder.file = Unescaped(columns[3]);
        holder.id = std::string(id);
        holder.exclusive = columns[5] != "shared";
        holder.since = FromUtcText(std::string(columns[6]));
        return true;
    }
    return false;
}

std::vector<std::string> LinesNaming(std::string_view listing, std::string_view id) {
    std::vector<std::string> found;
    if (id.empty()) {
        return found;
    }
    for (const std::string_view line : LinesOf(listing)) {
        for (std::size_t at = line.find(id); at != std::string_view::npos;
             at = line.find(id, at + 1)) {
            const std::size_t after = at + id.size();
            if ((at == 0 || !IsWordByte(line[at - 1])) &&
                (after == line.size() || !IsWordByte(line[after]))) {
                found.emplace_back(line);
                break;
            }
        }
    }
    return found;
}

}  // namespace mv

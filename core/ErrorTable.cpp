// SPDX-License-Identifier: MIT
#include "core/ErrorTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/NumericText.h"

namespace core {
namespace {

// The code is read from this many characters after the equals sign, so a line whose
// number stands further away reads as 0 and is not used.
constexpr std::size_t kCodeTextLength = 7;

bool HasMarker(std::string_view line) {
    constexpr std::string_view kMarker = "UVE_";
    for (std::size_t at = 0; at + kMarker.size() <= line.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < kMarker.size() && same; ++i) {
            const char c = line[at + i];
            same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == kMarker[i];
        }
        if (same) {
            return true;
        }
    }
    return false;
}

// The text after the first occurrence of c, or the whole line when c is missing.
std::string_view After(std::string_view line, char c) {
    const std::size_t at = line.find(c);
    return at == std::string_view::npos ? line : line.substr(at + 1);
}

// The whole file, or nullopt when it cannot be opened, is not a regular file or a read
// fails.
std::optional<std::string> ReadRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        text.emplace();
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                text->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                text.reset();
                break;
            }
        }
    }
    ::close(fd);
    return text;
}

}  // namespace

std::optional<ErrorTable::Entry> ErrorTable::ParseLine(std::string_view line) {
    if (!HasMarker(line)) {
        return std::nullopt;
    }
    const std::string_view codeText = After(line, '=').substr(0, kCodeTextLength);
    const std::optional<double> code = NumericText::Read(codeText);
    if (!code || *code == 0.0) {
        return std::nullopt;
    }
    return Entry{NumericText::ToDecimalText(*code), std::string(After(line, '\''))};
}

bool ErrorTable::Load(const std::string& path) {
    names_.clear();
    const std::optional<std::string> text = ReadRegularFile(path);
    if (!text) {
        return false;
    }
    LoadText(*text);
    return true;
}

void ErrorTable::LoadText(std::string_view text) {
    names_.clear();
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = text.size();
        }
        if (auto entry = ParseLine(text.substr(lineStart, lineEnd - lineStart))) {
            names_.try_emplace(std::move(entry->key), std::move(entry->name));  // first wins
        }
        lineStart = lineEnd + 1;
        if (text.substr(lineEnd, 2) == "\r\n") {
            ++lineStart;
        }
    }
}

std::optional<std::string> ErrorTable::Name(std::string_view key) const {
    const auto it = names_.find(std::string(key));
    if (it == names_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> ErrorTable::Name(int code) const {
    return Name(std::to_string(code));
}

}  // namespace core

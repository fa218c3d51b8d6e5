// SPDX-License-Identifier: MIT
#include "server/ServerLog.h"

#include <iostream>

namespace server {

ServerLog::ServerLog()
    : sink_([](const std::string& line) { std::cerr << "kelvora-server: " << line << std::endl; }) {
}

ServerLog::ServerLog(Sink sink) : sink_(std::move(sink)) {}

void ServerLog::Line(const std::string& text) const {
    const std::lock_guard lock(mutex_);
    sink_(text);
}

std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace server

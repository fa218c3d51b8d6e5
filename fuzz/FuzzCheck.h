// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A property that does not hold is a finding like a crash: say which one and stop, so
// libFuzzer keeps the input that broke it.
namespace fuzz {

// Bytes shown with everything outside printable ASCII as \xNN, so a report is readable.
inline std::string Visible(std::string_view bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
}

[[noreturn]] inline void Fail(const char* property, std::string_view detail) {
    std::fprintf(stderr, "\nPROPERTY FAILED: %s\n  %s\n", property, Visible(detail).c_str());
    std::abort();
}

inline void Require(bool holds, const char* property, std::string_view detail = {}) {
    if (!holds) {
        Fail(property, detail);
    }
}

}  // namespace fuzz

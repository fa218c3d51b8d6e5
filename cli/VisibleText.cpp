// SPDX-License-Identifier: MIT
#include "cli/VisibleText.h"

#include <ostream>

namespace cli {

void WriteVisible(std::ostream& out, std::string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out << "\\x" << kHex[byte >> 4] << kHex[byte & 0x0F];
        } else {
            out << c;
        }
    }
}

}  // namespace cli

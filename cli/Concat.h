// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cli {

// Joins parts into one text. Messages are built with it rather than with
// "literal" + std::string, which GCC 12 at -O2 flags with a false -Wrestrict warning.
inline std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) {
        text += part;
    }
    return text;
}

}  // namespace cli

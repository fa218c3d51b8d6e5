// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string_view>

namespace cli {

// Writes text with its control bytes (below 0x20, and 0x7F) as \xNN, so an id that holds
// a line feed still takes one line of the output. Every other byte goes out as it is.
void WriteVisible(std::ostream& out, std::string_view text);

}  // namespace cli

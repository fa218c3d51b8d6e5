// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Shows the prompt on the terminal and reads one line from it without echo; nullopt
// when the program has no terminal to ask on.
std::optional<std::string> AskPasswordOnTerminal(std::string_view prompt);

}  // namespace cli

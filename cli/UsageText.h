// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "cli/CommandLine.h"

namespace cli {

// The --help text of a subcommand, or of the program for Subcommand::kNone; each ends
// with examples and a line feed.
std::string_view UsageText(Subcommand subcommand);

}  // namespace cli

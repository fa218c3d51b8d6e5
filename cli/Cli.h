// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/Environment.h"

namespace cli {

// Runs kelvora-cmd on the words after the program name and returns the exit status:
// help on standard output, usage errors as one line on standard error with status 2.
int RunCli(const std::vector<std::string>& words, const Environment& env);

}  // namespace cli

// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace cli {

// The folder that holds the running executable, where the constants file is installed;
// "." when the system cannot tell.
std::string ProgramFolder();

}  // namespace cli

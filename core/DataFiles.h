// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace core {

// The constants file and the help file of the programs.
inline constexpr const char* kConstantsFileName = "Uvoaif.txt";
inline constexpr const char* kHelpFileName = "Kelvora.hlp";

// Where a file the programs ship is: beside the executable first (a build folder, or a
// copy unpacked anywhere), then in share/kelvora of the prefix the executable is
// installed under (bin/../share/kelvora). When neither exists, the path beside the
// executable, so a message names the place a user would look first.
std::string DataFilePath(const std::string& programFolder, const std::string& name);

}  // namespace core

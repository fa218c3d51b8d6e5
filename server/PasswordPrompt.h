// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace server {

// Reads a new password for passwd. From a terminal: asked for twice on standard error,
// typed without echo, and refused unless both agree. Otherwise: one line of standard
// input. False, with the reason, when no password could be read or it is empty.
bool ReadNewPassword(std::string& password, std::string& why);

// One line from fd without its line end; false at end of input before any byte.
bool ReadLine(int fd, std::string& line);

}  // namespace server

// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "server/PasswordHash.h"

namespace server {

// Adds user to the users file, or gives them a new password; makes the file when there is
// none. added says which. False, with the reason, when the file cannot be read, is not a
// users file, or cannot be written; the file is then unchanged.
bool SetUserPassword(const std::string& usersFile, const std::string& user,
                     const std::string& password, HashCost cost, bool& added, std::string& why);

}  // namespace server

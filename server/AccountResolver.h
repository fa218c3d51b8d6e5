// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace server {

// Turns the account of a login into a folder under the served root. The account is a
// folder name or a path, relative to the root or absolute; once every symbolic link is
// resolved it must name an existing directory strictly inside the root. root must be
// canonical already.
//
// kOk with folder set, or kInvalidAccount.
int ResolveAccount(const std::filesystem::path& root, const std::string& account,
                   std::filesystem::path& folder);

}  // namespace server

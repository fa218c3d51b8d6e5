// SPDX-License-Identifier: MIT
#include "server/AccountResolver.h"

#include <algorithm>

#include "platform/mv/ErrorCodes.h"

namespace server {

namespace fs = std::filesystem;

namespace {

// Whether path lies below root, component by component (so /data/ab is not inside /data/a).
bool StrictlyInside(const fs::path& root, const fs::path& path) {
    const auto [rootEnd, pathAt] =
        std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end() && pathAt != path.end();
}

}  // namespace

int ResolveAccount(const fs::path& root, const std::string& account, fs::path& folder) {
    folder.clear();
    if (account.empty() || account.find('\0') != std::string::npos) {
        return mv::kInvalidAccount;
    }
    const fs::path given(account);
    std::error_code error;
    const fs::path resolved = fs::canonical(given.is_absolute() ? given : root / given, error);
    if (error || !StrictlyInside(root, resolved) || !fs::is_directory(resolved, error)) {
        return mv::kInvalidAccount;
    }
    folder = resolved;
    return mv::kOk;
}

}  // namespace server

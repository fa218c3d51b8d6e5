// SPDX-License-Identifier: MIT
#include "platform/mv/AccountListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/mv/AccountNames.h"

namespace mv {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool IsDirectory(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return true;
    }
    // A link is no dictionary: the engine refuses to open one.
    if (entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat st {};
    return ::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<std::string> ListDictionaries(const std::string& accountPath) {
    std::vector<std::string> names;
    if (accountPath.find('\0') != std::string::npos) {
        return names;
    }
    std::unique_ptr<DIR, DirCloser> dir(::opendir(accountPath.c_str()));
    if (!dir) {
        return names;
    }
    const int dirFd = ::dirfd(dir.get());
    std::string directoryName;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.size() <= 2 || name.substr(0, 2) != "D_") {
            continue;
        }
        const std::string_view fileName = name.substr(2);
        // Only a directory the engine itself would open for this file name counts.
        if (!DictionaryDirectoryName(fileName, directoryName) || directoryName != name) {
            continue;
        }
        if (IsDirectory(dirFd, *entry)) {
            names.emplace_back(fileName);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/AccountListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> ListDirectory(DIR* dir) {
    std::vector<std::string> names;
    const int dirFd = ::dirfd(dir);
    std::string directoryName;
    while (const dirent* entry = ::readdir(dir)) {
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

}  // namespace

std::vector<std::string> ListDictionaries(const std::string& accountPath) {
    if (accountPath.find('\0') != std::string::npos) {
        return {};
    }
    std::unique_ptr<DIR, DirCloser> dir(::opendir(accountPath.c_str()));
    return dir ? ListDirectory(dir.get()) : std::vector<std::string>{};
}

std::vector<std::string> ListDictionariesAt(int accountFd) {
    // A descriptor of its own: closedir closes it, and the listing starts at the first
    // entry whatever was read through accountFd before.
    const int own = ::openat(accountFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) {
        return {};
    }
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(own));
    if (!dir) {
        ::close(own);
        return {};
    }
    return ListDirectory(dir.get());
}

}  // namespace mv

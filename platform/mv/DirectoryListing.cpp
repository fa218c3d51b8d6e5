// SPDX-License-Identifier: MIT
#include "platform/mv/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>

#include "platform/mv/ItemIdEscaping.h"

namespace mv {
namespace {

bool IsRegularFile(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat st {};
    return ::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool ForEachEntry(int dirFd, const std::function<void(const dirent& entry)>& visit) {
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return false;
    }
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listFd));
    if (!dir) {
        ::close(listFd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            return errno == 0;
        }
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") {
            visit(*entry);
        }
    }
}

bool ListItemFiles(int dirFd, std::vector<ItemFileEntry>& entries) {
    entries.clear();
    std::string id;
    return ForEachEntry(dirFd, [&](const dirent& entry) {
        if (UnescapeFileName(entry.d_name, id) && IsRegularFile(dirFd, entry)) {
            entries.push_back({entry.d_name, id});
        }
    });
}

}  // namespace mv

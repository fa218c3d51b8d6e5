// SPDX-License-Identifier: MIT
#include "platform/mv/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <memory>

#include "platform/mv/DirectoryListing.h"

namespace mv {
namespace {

constexpr std::string_view kPrefix = ".kelvora-tmp-";

// One or more decimal digits, nothing else.
bool IsNumber(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::chrono::seconds AgeOf(const struct stat& st) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long age = static_cast<long long>(now.tv_sec) - st.st_mtim.tv_sec;
    return std::chrono::seconds(age > 0 ? age : 0);
}

}  // namespace

std::string NewTemporaryFileName() {
    static std::atomic<unsigned long> counter{0};
    std::string name(kPrefix);
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(++counter);
    return name;
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    name.remove_prefix(kPrefix.size());
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && IsNumber(name.substr(0, dash)) &&
           IsNumber(name.substr(dash + 1));
}

bool InspectTemporaryFile(int dirFd, const char* name, TemporaryFile& file) {
    if (!IsTemporaryFileName(name)) {
        return false;
    }
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    file.age = AgeOf(st);
    file.size = st.st_size;
    return true;
}

std::size_t RemoveStaleTemporaryFiles(int dirFd) {
    std::size_t removed = 0;
    TemporaryFile file;
    ForEachEntry(dirFd, [&](const dirent& entry) {
        // Item files are by far the most entries; one look at the name passes them over.
        if (entry.d_name[0] != '.' || (entry.d_type != DT_REG && entry.d_type != DT_UNKNOWN)) {
            return;
        }
        if (!InspectTemporaryFile(dirFd, entry.d_name, file) ||
            file.age <= kStaleTemporaryFileAge) {
            return;
        }
        // Should the name be swapped for something else since the look, unlinkat removes
        // at most that entry itself (never a link's target, never a directory).
        if (::unlinkat(dirFd, entry.d_name, 0) == 0) {
            ++removed;
        }
    });
    return removed;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/mv/TemporaryFiles.h"
#include "platform/mv/UniqueFd.h"

namespace mv {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A replaced item keeps the permissions it had; a new one gets the usual 0666 less umask.
// False when the name is taken by anything but a regular file, such as a link or a FIFO:
// that entry is not the engine's to replace.
bool ModeFor(int dirFd, const std::string& name, mode_t& mode) {
    mode = 0666;
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISREG(st.st_mode)) {
        return false;
    }
    mode = st.st_mode & 07777;
    return true;
}

}  // namespace

bool WriteTemporaryFor(int dirFd, const std::string& name, std::string_view bytes, Flush flush,
                       std::string& temporary) {
    mode_t mode = 0666;
    if (!ModeFor(dirFd, name, mode)) {
        return false;
    }
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.Valid(); ++attempt) {
        temporary = NewTemporaryFileName();
        fd = UniqueFd(::openat(dirFd, temporary.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (!fd.Valid() && errno != EEXIST) {
            return false;
        }
    }
    if (!fd.Valid()) {
        return false;
    }
    bool ok = WriteAll(fd.Get(), bytes) && (flush == Flush::Later || ::fsync(fd.Get()) == 0);
    // An explicit mode survives a umask that would narrow the permissions of an old item.
    if (ok && mode != 0666) {
        ok = ::fchmod(fd.Get(), mode) == 0;
    }
    // close can report a failed write-back, so its result counts.
    const int closed = ::close(fd.Release());
    if (!ok || closed != 0) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return false;
    }
    return true;
}

bool PutInPlace(int dirFd, const std::string& temporary, const std::string& name) {
    // A link put in the target's place after the check is replaced by the rename itself,
    // never written through, so nothing outside the directory changes.
    if (::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return false;
    }
    return true;
}

bool ReplaceFileAtomically(int dirFd, const std::string& name, std::string_view bytes) {
    // The directory is not synced as well: the rename is atomic without it, and a crash
    // before the file system commits it shows the old item whole, never a mix.
    std::string temporary;
    return WriteTemporaryFor(dirFd, name, bytes, Flush::Now, temporary) &&
           PutInPlace(dirFd, temporary, name);
}

}  // namespace mv

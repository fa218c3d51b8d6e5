// SPDX-License-Identifier: MIT
#include "platform/mv/ItemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/UniqueFd.h"

namespace mv {
namespace {

// A link is never followed, so no item can show the bytes of a file outside the account.
// O_NONBLOCK keeps a FIFO planted in the directory from hanging the open; it has no
// effect on regular files.
int OpenRegularItem(int dirFd, const char* name) {
    return ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
}

}  // namespace

FileStamp FileStamp::Of(const struct stat& st) {
    FileStamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedSec = st.st_mtim.tv_sec;
    s.modifiedNsec = st.st_mtim.tv_nsec;
    s.changedSec = st.st_ctim.tv_sec;
    s.changedNsec = st.st_ctim.tv_nsec;
    return s;
}

int ReadItemFile(int dirFd, const char* name, std::string& bytes, FileStamp* stamp) {
    bytes.clear();
    UniqueFd fd(OpenRegularItem(dirFd, name));
    if (!fd.Valid()) {
        return errno == ENOENT ? kRecordNotFound : kReadFailed;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return kReadFailed;
    }
    if (stamp != nullptr) {
        *stamp = FileStamp::Of(st);
    }

    // Ask for one byte more than the file holds: a short read then proves the end
    // without a second call. A file that grew meanwhile is read on to its end.
    std::size_t got = 0;
    std::size_t want = static_cast<std::size_t>(st.st_size) + 1;
    for (;;) {
        bytes.resize(got + want);
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, want);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            bytes.clear();
            return kReadFailed;
        }
        got += static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(n) < want) {
            break;
        }
        want = 4096;
    }
    bytes.resize(got);
    return kOk;
}

int ReadListedItemFile(int dirFd, const char* name, std::string& bytes, std::string& scratch) {
    bytes.clear();
    UniqueFd fd(OpenRegularItem(dirFd, name));
    if (!fd.Valid()) {
        return errno == ENOENT ? kRecordNotFound : kReadFailed;
    }
    if (scratch.size() < 65536) {
        scratch.resize(65536);
    }
    // The entry may have been swapped for a FIFO or a device since it was listed. Only
    // what a regular file could give is taken without asking: some bytes and a short read.
    // Nothing read (a FIFO without a writer reads so) or a full buffer (a device never
    // ends) is checked before it counts.
    bool checked = false;
    for (;;) {
        const ssize_t n = ::read(fd.Get(), scratch.data(), scratch.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            bytes.clear();
            return kReadFailed;
        }
        const bool shortRead = static_cast<std::size_t>(n) < scratch.size();
        if (!checked && (n == 0 || !shortRead)) {
            struct stat st {};
            if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
                bytes.clear();
                return kReadFailed;
            }
            checked = true;
        }
        bytes.append(scratch.data(), static_cast<std::size_t>(n));
        // A short read of a regular file is its end.
        if (shortRead) {
            return kOk;
        }
    }
}

bool StampItemFile(int dirFd, const char* name, FileStamp& stamp) {
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    stamp = FileStamp::Of(st);
    return true;
}

int DeleteItemFile(int dirFd, const std::string& name) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode)) {
        return kDeleteFailed;
    }
    if (::unlinkat(dirFd, name.c_str(), 0) == 0) {
        return kOk;
    }
    return errno == ENOENT ? kRecordNotFound : kDeleteFailed;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/RecordLocks.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <thread>

#include "platform/mv/ErrorCodes.h"

namespace mv {

namespace {

constexpr std::chrono::milliseconds kWaitStep{20};

// The byte of the lock file that stands for an id: a 64-bit FNV-1a hash, the same in
// every process and build, kept below the largest offset. Two ids sharing a byte would
// only make one wait for the other; at 2^62 places that does not happen in practice.
off_t ByteOf(std::string_view id) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : id) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return static_cast<off_t>(hash & ((std::uint64_t{1} << 62) - 1));
}

struct flock RangeOf(std::string_view id, short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = ByteOf(id);
    range.l_len = 1;
    return range;
}

}  // namespace

DictionaryLocks::DictionaryLocks(int dirFd)
    : fd_(::openat(dirFd, kLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666)) {}

bool DictionaryLocks::TrySet(std::string_view id, short type) const {
    struct flock range = RangeOf(id, type);
    return ::fcntl(fd_.Get(), F_OFD_SETLK, &range) == 0;
}

int DictionaryLocks::Lock(std::string_view id, int flags, std::chrono::milliseconds waitLimit) {
    if (!fd_.Valid()) {
        return kOk;
    }
    const short type = (flags & kLockExclusive) != 0 ? F_WRLCK : F_RDLCK;
    const auto deadline = std::chrono::steady_clock::now() + waitLimit;
    while (!TrySet(id, type)) {
        if ((errno != EAGAIN && errno != EACCES) || (flags & kLockWait) == 0 ||
            std::chrono::steady_clock::now() >= deadline) {
            return kRecordLocked;
        }
        std::this_thread::sleep_for(kWaitStep);
    }
    held_[std::string(id)] = type;
    return kOk;
}

void DictionaryLocks::Release(std::string_view id) {
    if (held_.erase(std::string(id)) != 0) {
        TrySet(id, F_UNLCK);
    }
}

void DictionaryLocks::ReleaseAll() {
    if (fd_.Valid() && !held_.empty()) {
        struct flock whole {};  // a length of 0 reaches to the end of any file
        whole.l_type = F_UNLCK;
        whole.l_whence = SEEK_SET;
        ::fcntl(fd_.Get(), F_OFD_SETLK, &whole);
    }
    held_.clear();
}

LockState DictionaryLocks::State(std::string_view id) const {
    if (!fd_.Valid()) {
        return kLockFree;
    }
    // Asks whether an exclusive lock could be taken: the system names a lock of another
    // description that stands in the way, never one of this session's.
    struct flock probe = RangeOf(id, F_WRLCK);
    if (::fcntl(fd_.Get(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
        return probe.l_type == F_WRLCK ? kLockHeldExclusively : kLockHeldShared;
    }
    return held_.count(std::string(id)) != 0 ? kLockHeldHere : kLockFree;
}

bool DictionaryLocks::HoldsExclusive(std::string_view id) const {
    const auto found = held_.find(std::string(id));
    return !fd_.Valid() || (found != held_.end() && found->second == F_WRLCK);
}

}  // namespace mv

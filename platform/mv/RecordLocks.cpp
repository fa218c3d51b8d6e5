// SPDX-License-Identifier: MIT
#include "platform/mv/RecordLocks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <thread>

#include "platform/mv/ErrorCodes.h"

namespace mv {

namespace {

constexpr std::chrono::milliseconds kWaitStep{20};

struct flock RangeOf(std::string_view id, short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = LockByteOf(id);
    range.l_len = 1;
    return range;
}

}  // namespace

// Two ids sharing a byte would only make one wait for the other; at 2^62 places that
// does not happen in practice.
off_t LockByteOf(std::string_view id) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : id) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return static_cast<off_t>(hash & ((std::uint64_t{1} << 62) - 1));
}

mode_t DictionaryLocks::ModeFor(mode_t folderMode) {
    mode_t mode = S_IRUSR | S_IWUSR;
    if ((folderMode & S_IWGRP) != 0) {
        mode |= S_IRGRP | S_IWGRP;
    }
    if ((folderMode & S_IWOTH) != 0) {
        mode |= S_IROTH | S_IWOTH;
    }
    return mode;
}

DictionaryLocks::DictionaryLocks(int dirFd, const HolderIdentity* identity)
    : dirFd_(dirFd), identity_(identity) {
    Open();
}

DictionaryLocks::~DictionaryLocks() {
    RemoveNotes();
}

void DictionaryLocks::RemoveNotes() {
    for (const auto& [id, held] : held_) {
        notes_.Remove(id, held.note);
    }
}

void DictionaryLocks::Open() {
    fd_.Reset();
    struct stat folder {};
    if (::fstat(dirFd_, &folder) != 0) {
        state_ = FileState::Unusable;
        return;
    }
    const mode_t mode = ModeFor(folder.st_mode);
    mode_ = mode;
    // Not blocking, so a FIFO planted under the name cannot hang the open.
    UniqueFd fd(::openat(dirFd_, kLockFileName,
                         O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode));
    if (!fd.Valid()) {
        const bool folderWritable = ::faccessat(dirFd_, ".", W_OK | X_OK, AT_EACCESS) == 0;
        state_ = (errno == EACCES || errno == EROFS || errno == EPERM) && !folderWritable
                     ? FileState::FolderReadOnly
                     : FileState::Unusable;
        return;
    }
    struct stat file {};
    if (::fstat(fd.Get(), &file) != 0 || !S_ISREG(file.st_mode)) {
        state_ = FileState::Unusable;
        return;
    }
    // The umask may have cut the group's access, and a file made by an older version
    // may let anyone read it: the owner sets it to what the folder grants.
    if (file.st_uid == ::geteuid() && (file.st_mode & 07777) != mode) {
        ::fchmod(fd.Get(), mode);
    }
    fd_ = std::move(fd);
    state_ = FileState::Usable;
}

void DictionaryLocks::FollowReplacedFile() {
    if (state_ == FileState::Usable) {
        struct stat open {};
        struct stat named {};
        if (::fstat(fd_.Get(), &open) == 0 &&
            ::fstatat(dirFd_, kLockFileName, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            open.st_dev == named.st_dev && open.st_ino == named.st_ino) {
            return;
        }
    }
    UniqueFd old = std::move(fd_);
    Open();
    if (state_ != FileState::Usable) {
        return;
    }
    // The locks held in the old file are taken again in the one every other session now
    // uses; one that another session took meanwhile is lost, and its change will take it
    // again or meet that session's lock.
    for (auto held = held_.begin(); held != held_.end();) {
        if (TrySet(held->first, held->second.type)) {
            ++held;
        } else {
            held = held_.erase(held);
        }
    }
}

bool DictionaryLocks::TrySet(std::string_view id, short type) const {
    struct flock range = RangeOf(id, type);
    return ::fcntl(fd_.Get(), F_OFD_SETLK, &range) == 0;
}

int DictionaryLocks::Lock(std::string_view id, int flags, std::chrono::milliseconds waitLimit,
                          bool noted) {
    FollowReplacedFile();
    if (state_ == FileState::FolderReadOnly) {
        return kOk;
    }
    if (state_ == FileState::Unusable) {
        return kLockFileUnusable;
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
    Held& held = held_[std::string(id)];
    const bool notedAlready = held.note != 0 && held.type == type;
    held.type = type;
    // A shared lock others hold too keeps the note of the first holder.
    LockHolder first;
    const bool sharedWithOthers =
        type == F_RDLCK && HeldElsewhere(id) && LockNotes::Read(dirFd_, id, first);
    if (identity_ != nullptr && noted && !notedAlready && !sharedWithOthers) {
        notes_.Remove(id, held.note);
        held.note = notes_.Write(dirFd_, mode_, id, type == F_WRLCK, *identity_);
    }
    return kOk;
}

void DictionaryLocks::Release(std::string_view id) {
    const auto found = held_.find(std::string(id));
    if (found == held_.end()) {
        return;
    }
    notes_.Remove(id, found->second.note);
    held_.erase(found);
    if (fd_.Valid()) {
        TrySet(id, F_UNLCK);
    }
}

void DictionaryLocks::ReleaseAll() {
    RemoveNotes();
    if (fd_.Valid() && !held_.empty()) {
        struct flock whole {};  // a length of 0 reaches to the end of any file
        whole.l_type = F_UNLCK;
        whole.l_whence = SEEK_SET;
        ::fcntl(fd_.Get(), F_OFD_SETLK, &whole);
    }
    held_.clear();
}

bool DictionaryLocks::HeldElsewhere(std::string_view id) const {
    struct flock probe = RangeOf(id, F_WRLCK);
    return ::fcntl(fd_.Get(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

LockState DictionaryLocks::State(std::string_view id) {
    FollowReplacedFile();
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

bool DictionaryLocks::HoldsExclusive(std::string_view id) {
    FollowReplacedFile();
    const auto found = held_.find(std::string(id));
    return state_ == FileState::FolderReadOnly ||
           (found != held_.end() && found->second.type == F_WRLCK);
}

bool DictionaryLocks::Holder(std::string_view id, LockHolder& holder) const {
    return LockNotes::Read(dirFd_, id, holder);
}

}  // namespace mv

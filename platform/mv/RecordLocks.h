// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/mv/LockHolder.h"
#include "platform/mv/LockNotes.h"
#include "platform/mv/UniqueFd.h"

namespace mv {

// Lock flags of a read or a lock request, with the protocol's numbers: an exclusive or a
// shared lock, plus kLockWait to wait for a lock another session holds instead of
// failing with kRecordLocked. 0 takes no lock.
inline constexpr int kLockWait = 1;
inline constexpr int kLockExclusive = 2;
inline constexpr int kLockShared = 4;

// What a lock-state query answers for an item.
enum LockState : int {
    kLockFree = 0,
    kLockHeldHere = 1,         // by the session that asks
    kLockHeldExclusively = 2,  // by another session
    kLockHeldShared = 3,       // by one or more other sessions, shared
};

// The lock file of a dictionary folder. It starts with a dot, so no escaped item id
// names it: it is never listed, selected or exported as an item.
inline constexpr const char* kLockFileName = ".kelvora-locks";

// The byte of the lock file that stands for an id: a 64-bit FNV-1a hash, the same in
// every process and build, kept below the largest offset.
off_t LockByteOf(std::string_view id);

// The record locks one session holds in one dictionary folder. Each item id stands for
// one byte of the folder's lock file, locked with an open file description lock: every
// session opens the file on its own, so sessions of one process exclude each other as
// two processes do, and a process that dies leaves no lock behind, as the system
// releases the locks of its descriptors.
//
// The lock file grants locks to those who may write the folder and to no one else: it is
// made (and, when this user owns it, kept) readable and writable by the owner, by the
// group when the folder is group-writable, and by others when the folder is writable by
// all, so a user who may only read the dictionary cannot open it to hold others' writes
// hostage. It is always opened read-write; no lock is taken through a read-only one.
//
// A lock file that is no regular file (a link, a folder, a FIFO), or that this session
// cannot open while it may write the folder, refuses every lock with kLockFileUnusable,
// so changes are refused rather than made without locks. Only a folder the session
// cannot write grants every lock: its writes meet the folder's own refusal. A lock file
// removed or replaced under the session is noticed at the next lock request: the
// session moves to the file the path names now, taking its locks there again, so every
// session locks in one file again.
//
// Each lock taken leaves a note of who holds it (LockNotes.h), so that a session refused
// can name the holder.
class DictionaryLocks {
public:
    explicit DictionaryLocks(int dirFd, const HolderIdentity* identity = nullptr);
    ~DictionaryLocks();
    DictionaryLocks(const DictionaryLocks&) = delete;
    DictionaryLocks& operator=(const DictionaryLocks&) = delete;

    // The descriptor of the folder, open now, through which the lock file is named; the
    // engine hands in that of an open handle before each use.
    void SetFolder(int dirFd) { dirFd_ = dirFd; }

    // kOk, kRecordLocked when another session holds a lock that excludes this one (after
    // waiting up to waitLimit with kLockWait), or kLockFileUnusable.
    // A lock held only for the length of one call leaves no note (noted false).
    int Lock(std::string_view id, int flags, std::chrono::milliseconds waitLimit,
             bool noted = true);
    void Release(std::string_view id);
    void ReleaseAll();
    LockState State(std::string_view id);
    // Whether this session holds the item exclusively in the file every session uses now.
    bool HoldsExclusive(std::string_view id);
    // Who holds the item, as its note tells: false when no note names it.
    bool Holder(std::string_view id, LockHolder& holder) const;

    // The permissions a lock file of a folder with these permissions gets.
    static mode_t ModeFor(mode_t folderMode);

private:
    enum class FileState { Usable, FolderReadOnly, Unusable };

    // Opens the lock file the folder names now (creating it when missing).
    void Open();
    // Moves to the file the path names now when the open one was removed or replaced.
    void FollowReplacedFile();
    bool TrySet(std::string_view id, short type) const;
    void RemoveNotes();
    // Whether another session holds a lock on the item's byte.
    bool HeldElsewhere(std::string_view id) const;

    struct Held {
        short type;  // F_WRLCK or F_RDLCK
        ino_t note;  // the note written, 0 for none
    };

    int dirFd_;
    const HolderIdentity* identity_;
    UniqueFd fd_;
    mode_t mode_ = 0;  // the lock file's, which the notes get too
    FileState state_ = FileState::Unusable;
    std::unordered_map<std::string, Held> held_;
    LockNotes notes_;
};

}  // namespace mv

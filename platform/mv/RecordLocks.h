// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>

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

// The record locks one session holds in one dictionary folder. Each item id stands for
// one byte of the folder's lock file, locked with an open file description lock: every
// session opens the file on its own, so sessions of one process exclude each other as
// two processes do, and a process that dies leaves no lock behind, as the system
// releases the locks of its descriptors.
class DictionaryLocks {
public:
    // Opens the lock file of directory dirFd, creating it when missing. A folder where
    // it can be neither opened nor created cannot be written either: then every lock is
    // granted, so a write meets the folder's own refusal and not a lock.
    explicit DictionaryLocks(int dirFd);

    // kOk, or kRecordLocked when another session holds a lock that excludes this one
    // (after waiting up to waitLimit with kLockWait).
    int Lock(std::string_view id, int flags, std::chrono::milliseconds waitLimit);
    void Release(std::string_view id);
    void ReleaseAll();
    LockState State(std::string_view id) const;
    bool HoldsExclusive(std::string_view id) const;

private:
    bool TrySet(std::string_view id, short type) const;

    UniqueFd fd_;
    std::unordered_map<std::string, short> held_;  // id -> F_WRLCK or F_RDLCK
};

}  // namespace mv

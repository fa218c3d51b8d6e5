// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <set>
#include <string>

namespace mv {
class DictionaryFile;
}

namespace dictionary {

// The record locks this window's session holds in the open dictionary, and why: the
// lock a change takes with the read that checks its item (released by the write or
// delete, or when the change is not made), and the lock of a row of an existing item
// that the user is changing (kept until the row is saved, its changes are dropped, or
// the dictionary is read again).
class ItemLocks {
public:
    enum class Outcome {
        Locked,
        HeldByOther,  // another session holds the item
        Refused,      // the server refused the lock: refusal() says with what code
        Failed,       // the call failed (a dropped connection, say): failure() says how
    };

    // Takes the item's lock for the row being changed, unless this session holds it.
    Outcome StartEditing(mv::DictionaryFile& file, const std::string& id);
    // The server refused a lock taken without a read (Failed with the session still
    // connected): rows are changed without locks from now on; the check before each
    // change still locks. True the first time only.
    bool MarkEditingRefused();
    // The row of the item was saved or its changes dropped: its lock goes, unless a write
    // or delete already released it.
    void EndEditing(mv::DictionaryFile& file, const std::string& id);
    bool Editing(const std::string& id) const { return editing_.count(id) != 0; }

    // For the read that checks an item before a change: whether it takes the lock.
    bool Supported() const { return refusal_ == 0; }
    // The server answered a lock with a code that is no "held by another session", and a
    // plain read went through: changes go on without locks from now on. True the first
    // time only, so the refusal is reported once.
    bool MarkRefused(int code);
    int Failure() const { return failure_; }
    // After HeldByOther: who holds the item, as DictionaryFile::LockedByWords says.
    const std::string& LockedBy() const { return lockedBy_; }

    void Took(const std::string& id) { held_.insert(id); }
    // A write or delete of the item released its lock.
    void Released(const std::string& id);
    // Releases the lock a change took, unless the row of the item still holds it.
    void ReleaseUnlessEditing(mv::DictionaryFile& file, const std::string& id);
    // Every lock of the session (one call), as the dictionary is read again or closed.
    void ReleaseAll(mv::DictionaryFile& file);
    // The session ended: its locks went with it.
    void Forget();

private:
    void Release(mv::DictionaryFile& file, const std::string& id);

    std::set<std::string> held_;
    std::set<std::string> editing_;
    int refusal_ = 0;
    bool editingRefused_ = false;
    int failure_ = 0;
    std::string lockedBy_;
    std::string lockedById_;  // the item lockedBy_ names the holder of
    std::chrono::steady_clock::time_point lockedByAsked_;
};

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "dictionary/ItemLocks.h"

#include <chrono>
#include <utility>

#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"

namespace dictionary {

namespace {

// How long who holds an item is taken as known while its row is typed in.
constexpr std::chrono::seconds kHolderKept{10};

// Runs a call that names another item, leaving the file's RecordId as it was: the
// handlers read it back for their messages.
template <typename Call>
void OnItem(mv::DictionaryFile& file, const std::string& id, Call call) {
    const std::string before = file.RecordId();
    file.SetRecordId(id);
    call();
    file.SetRecordId(before);
}

}  // namespace

ItemLocks::Outcome ItemLocks::StartEditing(mv::DictionaryFile& file, const std::string& id) {
    if (!Supported() || editingRefused_) {
        return Outcome::Refused;
    }
    if (held_.count(id) == 0) {
        int error = 0;
        OnItem(file, id, [&] {
            file.LockRecord();
            error = file.Error();
        });
        if (error == mv::kRecordLocked) {
            // Each keystroke in the row asks again: who holds the item is asked once a
            // while, which on a server costs two more round trips.
            const auto now = std::chrono::steady_clock::now();
            if (id != lockedById_ || now - lockedByAsked_ > kHolderKept) {
                OnItem(file, id, [&] { lockedBy_ = file.LockedByWords(); });
                lockedById_ = id;
                lockedByAsked_ = now;
            }
            return Outcome::HeldByOther;
        }
        if (error != 0) {
            failure_ = error;
            return Outcome::Failed;
        }
        held_.insert(id);
    }
    editing_.insert(id);
    return Outcome::Locked;
}

void ItemLocks::EndEditing(mv::DictionaryFile& file, const std::string& id) {
    if (editing_.erase(id) != 0) {
        Release(file, id);
    }
}

bool ItemLocks::MarkEditingRefused() {
    return !std::exchange(editingRefused_, true);
}

bool ItemLocks::MarkRefused(int code) {
    const bool first = refusal_ == 0;
    refusal_ = code;
    held_.clear();
    editing_.clear();
    return first;
}

void ItemLocks::Released(const std::string& id) {
    held_.erase(id);
    editing_.erase(id);
}

void ItemLocks::ReleaseUnlessEditing(mv::DictionaryFile& file, const std::string& id) {
    if (editing_.count(id) == 0) {
        Release(file, id);
    }
}

void ItemLocks::Release(mv::DictionaryFile& file, const std::string& id) {
    if (held_.erase(id) != 0) {
        OnItem(file, id, [&] { file.ReleaseRecord(); });
    }
}

void ItemLocks::ReleaseAll(mv::DictionaryFile& file) {
    if (!held_.empty()) {
        file.ReleaseAllLocks();
    }
    Forget();
}

void ItemLocks::Forget() {
    held_.clear();
    editing_.clear();
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/JournalFormat.h"
#include "platform/mv/DynamicArray.h"

namespace mv {
class Session;
}

namespace dictionary {

using core::ChangeOrigin;

class ChangeJournal;
struct OpenDictionary;

// A write or delete of an item, recorded in the open dictionary's journal before it was
// made and marked done or failed by the account's answer.
class JournaledChange {
public:
    JournaledChange() = default;
    JournaledChange(std::shared_ptr<ChangeJournal> journal, std::uint64_t sequence)
        : journal_(std::move(journal)), sequence_(sequence) {}

    // 0 when no journal took the change.
    std::uint64_t Sequence() const { return sequence_; }
    // For a change whose answer was lost with the connection: what the account showed
    // once it could be read again.
    void Settle(bool arrived) const;

private:
    std::shared_ptr<ChangeJournal> journal_;
    std::uint64_t sequence_ = 0;
};

// Every write and delete of an item goes through these two, so none escapes the journal.
// `before` is what the account held just before (read for the changed-since-read check;
// nullopt when it held no such item). The file object's Error() tells the outcome, as
// after its own Write and DeleteRecord.
JournaledChange WriteItem(OpenDictionary& open, const std::string& id,
                          const std::optional<mv::DynamicArray>& before,
                          const mv::DynamicArray& record, ChangeOrigin origin = ChangeOrigin::Edit);
JournaledChange DeleteItem(OpenDictionary& open, const std::string& id,
                           const std::optional<mv::DynamicArray>& before,
                           ChangeOrigin origin = ChangeOrigin::Edit);

// Releases, when the change is over, the lock that the read before it (ReadForChange)
// took on the item, unless the write or delete released it or a row of the item that
// the user is changing keeps it.
class ChangeLock {
public:
    ChangeLock(OpenDictionary& open, std::string id) : open_(open), id_(std::move(id)) {}
    ~ChangeLock();
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

private:
    OpenDictionary& open_;
    std::string id_;
};

// Makes the writes and deletes journaled while it lives one change for undo and redo (the
// items of a rename). Drop says they were taken back again: no change was made.
class ChangeGroup {
public:
    ChangeGroup(OpenDictionary& open, core::ChangeGroupKind kind, const std::string& from,
                const std::string& to);
    ~ChangeGroup();
    ChangeGroup(const ChangeGroup&) = delete;
    ChangeGroup& operator=(const ChangeGroup&) = delete;

    void Drop() { kept_ = false; }

private:
    std::shared_ptr<ChangeJournal> journal_;  // null when another group is open
    bool kept_ = true;
};

// Gives the open dictionary the journal of the session's account, keeping the one it has
// when that is the same account (so the changes of earlier opens stay undoable).
void UseJournalOfAccount(OpenDictionary& open, const mv::Session& session);

}  // namespace dictionary

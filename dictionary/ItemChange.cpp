// SPDX-License-Identifier: MIT
#include "dictionary/ItemChange.h"

#include "connection/TextBridge.h"
#include "core/History.h"
#include "dictionary/ChangeJournal.h"
#include "dictionary/OpenDictionary.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"

namespace dictionary {

namespace {

std::optional<std::string> BytesOf(const std::optional<mv::DynamicArray>& record) {
    return record ? std::optional<std::string>(record->Text()) : std::nullopt;
}

JournaledChange Begin(OpenDictionary& open, ChangeOrigin origin, const std::string& id,
                      const std::optional<mv::DynamicArray>& before,
                      const std::optional<std::string>& after) {
    if (!open.journal) {
        return {};
    }
    const std::uint64_t sequence =
        open.journal->Begin(origin, TextBridge::ToBytes(open.name), id, BytesOf(before), after);
    return {open.journal, sequence};
}

void Finish(OpenDictionary& open, const std::string& id, const JournaledChange& change) {
    const bool made = open.file->Error() == 0;
    change.Settle(made);
    if (made) {
        open.locks.Released(id);  // a write or delete releases the item's lock
    }
}

}  // namespace

void JournaledChange::Settle(bool arrived) const {
    if (journal_) {
        journal_->Finish(sequence_, arrived ? ChangeOutcome::Done : ChangeOutcome::Failed);
    }
}

JournaledChange WriteItem(OpenDictionary& open, const std::string& id,
                          const std::optional<mv::DynamicArray>& before,
                          const mv::DynamicArray& record, ChangeOrigin origin) {
    const JournaledChange change = Begin(open, origin, id, before, record.Text());
    mv::DictionaryFile& file = *open.file;
    file.SetRecordId(id);
    file.SetRecord(record);
    file.Write();
    Finish(open, id, change);
    return change;
}

JournaledChange DeleteItem(OpenDictionary& open, const std::string& id,
                           const std::optional<mv::DynamicArray>& before, ChangeOrigin origin) {
    const JournaledChange change = Begin(open, origin, id, before, std::nullopt);
    mv::DictionaryFile& file = *open.file;
    file.SetRecordId(id);
    file.DeleteRecord();
    Finish(open, id, change);
    return change;
}

ChangeLock::~ChangeLock() {
    if (open_.file) {
        open_.locks.ReleaseUnlessEditing(*open_.file, id_);
    }
}

ChangeGroup::ChangeGroup(OpenDictionary& open, core::ChangeGroupKind kind, const std::string& from,
                         const std::string& to) {
    if (open.journal && open.journal->OpenGroup(kind, from, to)) {
        journal_ = open.journal;
    }
}

ChangeGroup::~ChangeGroup() {
    if (journal_) {
        journal_->CloseGroup(kept_);
    }
}

void UseJournalOfAccount(OpenDictionary& open, const mv::Session& session) {
    const std::string key = ChangeJournal::AccountKeyOf(session);
    if (!open.journal || open.journal->AccountKey() != key) {
        open.journal = std::make_shared<ChangeJournal>(key);
        // On a server, a change is the user's who logged in, as the server knows them.
        if (!session.HostName().empty()) {
            open.journal->SetUser(session.UserName());
            // Everyone's changes, as the server journals them, where it keeps them.
            open.journal->SetHistorySource(
                [&session](const std::string& file) { return core::ServerHistory(session, file); });
        }
    }
}

}  // namespace dictionary

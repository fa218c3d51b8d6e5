// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include <QString>

#include "platform/mv/DynamicArray.h"

namespace mv {
class DictionaryFile;
}
namespace ui {
class Dialogs;
}

namespace dictionary {

class RecordsAsRead;

// What the account holds under an id right now, read just before a write or a delete.
struct AccountItem {
    int error = 0;  // a failed read other than "no such item": nothing is known
    std::optional<mv::DynamicArray> record;  // nullopt: the account has no such item
    // The server refused the item's lock with this code (and the read went through
    // without it): set the first time only, so the refusal is reported once.
    int lockRefused = 0;
    // With error kRecordLocked: who holds the item, as DictionaryFile::LockedByWords says.
    std::string lockedBy;

    bool Exists() const { return record.has_value(); }
    // True when the account holds exactly `bytes` (nullopt: holds no such item).
    bool Holds(const std::optional<std::string>& bytes) const {
        return Exists() ? bytes && *bytes == record->Text() : !bytes;
    }
    // Holds, or holds `bytes` with another compiled form or other empty fields at the
    // end: a compile (this program's or anyone's) rewrites only the first, a save writes
    // its view's fields 1 to N; neither is anybody's change of what the item says.
    bool HoldsUpToCompiledForm(const std::optional<std::string>& bytes) const;
};

AccountItem ReadFromAccount(mv::DictionaryFile& file, const std::string& id);

struct OpenDictionary;
// The read that checks an item before a change: it takes the item's exclusive lock too
// (error kRecordLocked when another session holds it), kept until the write or delete,
// or released by the ChangeLock of the change (ItemChange.h). A server that refuses the
// lock otherwise is read without it, and without locks from then on.
AccountItem ReadForChange(OpenDictionary& open, const std::string& id);

// True when the account holds the bytes the rows of the item were read from, up to the
// compiled form a compile writes and empty fields at the end. An item that was never read counts as
// changed when the account holds it.
bool UnchangedSinceRead(const RecordsAsRead& records, const std::string& id,
                        const AccountItem& now);

// The user's answer when an item changed in the account after its row was read.
enum class ChangedAnswer {
    Overwrite,    // write (or delete) all the same
    ShowAccount,  // drop the change: the rows show what the account holds
    KeepPending,  // do nothing yet: the row keeps the typed values
    Merge,        // write the account's version with the user's changes on top
};
enum class ChangeKind { Write, Delete };

// An item's record as it was read, as the account holds it now and as the change would
// make it; nullopt where that version has no item (a delete's own is always nullopt).
struct ItemVersions {
    std::optional<std::string> asRead;
    std::optional<std::string> inAccount;
    std::optional<std::string> yours;
};

struct ChangeDecision {
    ChangedAnswer answer = ChangedAnswer::KeepPending;
    std::optional<std::string> merged;  // for Merge: the record to write
    AccountItem now;                    // the account's item the answer was given on
};

// The conflict window (frmConflict) for an item the account changed after it was read:
// the fields that differ, who changed each, and Merge, Write mine, Keep theirs or Cancel.
// `now` is what the read before the change found. After Merge or Write mine the item is
// read again: when the account changed it once more while the window was open, the
// window comes back with the new state, so the answer is always given on what is written
// over.
ChangeDecision DecideOnChange(ui::Dialogs& dialogs, OpenDictionary& open, const std::string& id,
                              ChangeKind kind, const std::optional<std::string>& asRead,
                              AccountItem now, const std::optional<std::string>& yours);

// "<id> is locked by another user. Your changes are kept; save the row again later."
void ShowLockedByOther(ui::Dialogs& dialogs, const QString& id, const std::string& lockedBy);

// "<id> already exists. Replace it?" in the conflict window with two columns, the item
// the account holds and yours, field by field: Replace or Cancel, Cancel the default.
// True for Replace.
bool AskToReplace(ui::Dialogs& dialogs, const OpenDictionary& open, const std::string& id,
                  const mv::DynamicArray& existing, const mv::DynamicArray& yours);

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "dictionary/AccountCheck.h"
#include "dictionary/DictionaryScreen.h"

namespace dictionary {
class JournaledChange;
}
namespace mv {
class DynamicArray;
}

namespace editing {

// The change a read before it is for, which the box about another user's lock names.
enum class LockedChange {
    Save,    // "... Your changes are kept; save the row again later."
    Delete,  // "... nothing was deleted."
    Rename,  // "... nothing was renamed."
};

// What the account holds under id, read before a write or a delete with the item's
// exclusive lock (ChangeLock releases it when the change is not made). A read that fails
// because the connection dropped offers a new login and is read again on the new
// session. After any other failure, error is set and its box was shown; an item another
// session holds is kRecordLocked, with a box that says what `change` did not do.
dictionary::AccountItem ReadBeforeChange(const dictionary::DictionaryContext& context,
                                         const std::string& id,
                                         LockedChange change = LockedChange::Save);

enum class ChangeMade { Write, Delete };
enum class Arrived {
    Yes,      // the account holds the change
    No,       // the account does not: the change was not made
    Unknown,  // no new login, or the item could not be read on it
};

// After a write (of `written`) or a delete got no reply because the connection dropped,
// its error box shown: offers a new login, reads the item on the new session and tells
// the user whether the change reached the server before the connection dropped.
Arrived WhetherChangeArrived(const dictionary::DictionaryContext& context, const std::string& id,
                             const mv::DynamicArray& written, ChangeMade change);

enum class ChangeResult {
    Made,                // the account answered that it made the change
    Failed,              // it did not, or whether it did is not known: its box was shown
    ConfirmedAfterDrop,  // no answer came, but the item on the new login shows it made
};

// Right after a write (of `written`) or delete of this program's through the open file:
// shows a failure (naming the file and `shownId`), and for a change whose answer was
// lost with the connection, finds out on a new login whether it arrived, telling the
// journal when it did.
ChangeResult ResultOfChange(const dictionary::DictionaryContext& context,
                            const dictionary::JournaledChange& change, const std::string& id,
                            const QString& shownId, const mv::DynamicArray& written,
                            ChangeMade made);

}  // namespace editing

// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "dictionary/DictionaryScreen.h"
#include "dictionary/ItemChange.h"

namespace dictionary {
class DictionaryOpener;
struct AccountItem;
}  // namespace dictionary

namespace editing {

// Makes the account hold `target` under id again (nullopt: no such item), as an undo, a
// redo or a restored version does: the item is read first, and when the account does not
// hold `known`, what the program last knew of it (up to the compiled form), the conflict
// window asks before it is written over or deleted; Merge writes the account's version
// with the fields `target` changes from `known` on top. The change is journaled; afterwards every
// row of the item shows what the account holds (an item that comes back is read in with the
// dictionary) and the record counts as read. True when the account holds `target`.
//
// The rows of the grids must be settled before: a new item reads the dictionary again.
bool PutBackItem(const dictionary::DictionaryContext& context, dictionary::DictionaryOpener& opener,
                 const std::string& id, const std::optional<std::string>& target,
                 dictionary::ChangeOrigin origin, const std::optional<std::string>& known);

// Settles the rows left pending in the grids before an undo or a restore. StillPending:
// a row could not be settled; its tab is in front and the user was told why `action`
// did not go on.
enum class RowsSettled { NonePending, NowSettled, StillPending };
RowsSettled SettleRowsBefore(const dictionary::DictionaryContext& context, const QString& action);

}  // namespace editing

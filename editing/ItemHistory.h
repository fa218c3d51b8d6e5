// SPDX-License-Identifier: MIT
#pragma once

#include "dictionary/DictionaryScreen.h"

namespace dictionary {
class DictionaryOpener;
}

namespace editing {

// The recorded versions of one item, from the journal of every run on the account,
// newest first: each change the account took, with its date and time and what happened
// ("saved", "created", "deleted"), and the item as it was before the oldest of them.
// The version the user picks is written back (or the item deleted, for a "deleted"
// version) through the same check as a save, journaled and shown in every row; the
// restore can itself be undone.
class ItemHistory {
public:
    ItemHistory(const dictionary::DictionaryContext& context, dictionary::DictionaryOpener& opener)
        : context_(context), opener_(opener) {}

    // For the current row of the grid of the view.
    void Show(int viewIndex);
    // For an item of the open file that was deleted, chosen from those the journal
    // recorded as deleted and the account no longer holds, the most recently deleted first.
    void ShowDeleted();

private:
    void ShowItem(const QString& itemId);

    dictionary::DictionaryContext context_;
    dictionary::DictionaryOpener& opener_;
};

}  // namespace editing

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include <QString>

#include "dictionary/DictionaryScreen.h"
#include "platform/mv/DynamicArray.h"

namespace dictionary {
class DictionaryOpener;
}

namespace editing {

// Edit > Rename...: the item of the current row of the grid in front gets a new name.
// The account's bytes of the item are written under the new name and the old item is
// deleted, both under their locks; every phrase that lists the old name lists the new
// one instead. All of it is one change for undo. A rename never replaces another item,
// never goes on from an item changed in the account since it was read, and leaves the
// account as it was when the old item cannot be deleted. The I and V items whose
// expressions name the old item are named first; they are code, and stay as they are.
class RenameHandler {
public:
    RenameHandler(const dictionary::DictionaryContext& context,
                  dictionary::DictionaryOpener& opener)
        : context_(context), opener_(opener) {}

    // On the current row of the view's grid. True when the item was renamed.
    bool Rename(int viewIndex);

private:
    struct Phrase {
        std::string id;
        mv::DynamicArray before;
        mv::DynamicArray after;
    };

    bool Run(int viewIndex);
    // The new name the user typed, or empty when there is none to go on with.
    QString AskNewName(const QString& oldName);
    bool UsersAgree(const QString& oldName, const QString& newName);
    // Writes the new item and deletes the old; when the delete fails, the new item is
    // deleted again. True when the account holds the item under the new name only.
    bool Move(const std::string& from, const std::string& to, const mv::DynamicArray& record);
    // Writes the phrases; the ids of those the account did not take.
    QStringList WritePhrases(const std::vector<Phrase>& phrases);
    void Refuse(const QString& message);

    dictionary::DictionaryContext context_;
    dictionary::DictionaryOpener& opener_;
};

}  // namespace editing

// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include <QString>

#include "dictionary/ViewKind.h"

#include "dictionary/DictionaryScreen.h"

namespace dictionary {
struct AccountItem;
}
namespace mv {
class DynamicArray;
}
namespace grid {
class DataGrid;
}

namespace editing {

class CompileOffer;
class CopyUnderNewName;

// Writes a row the user leaves back to the open dictionary as a whole item: the item id
// from column 0, the view's fields from columns 1 to N, and whatever the item holds after
// field N as the account holds it (but the compiled form of an I or V descriptor saved
// from the D/I/V view).
//
// Nothing is written over another's change: the item is read again first. A new row
// whose id the account holds asks before replacing it; an item whose bytes differ from
// what its row was read from opens the conflict window: merge both changes, write the
// row over it, show the account's version, or keep the row pending. After a write every row of the
// item, in every view and narrowed copy, shows what the account holds.
//
// The row array never holds what the account does not: a row whose write the server
// refused, or that has no item id, stays pending in its grid with the typed values
// (the notification is cancelled) until it is saved again or dropped with Escape.
class SaveHandler {
public:
    SaveHandler(const dictionary::DictionaryContext& context, CompileOffer& compile,
                CopyUnderNewName& copy)
        : vars_(context.vars),
          open_(context.open),
          screen_(context.screen),
          compile_(compile),
          copy_(copy) {}

    // The grids' before-save notification.
    void BeforeSave(int viewIndex, bool* cancel);
    // After a grid stored a row: the row counter follows the row array, and a PH row
    // appears in the phrase list at once.
    void AfterSave(int viewIndex);
    // Edit > Copy As...: the current row of the view's grid, typed values included, is
    // written under a name the user types. A cancelled name keeps a typed row pending.
    void CopyAs(int viewIndex);

private:
    // The pending row's item id differs from the id of the row it was typed over.
    static bool IdOvertyped(const grid::DataGrid& grid);
    void Save(dictionary::ViewKind view, grid::DataGrid& grid, bool* cancel);
    // Writes the record over `now` (what the check read) and shows it; true when written.
    bool Write(dictionary::ViewKind view, grid::DataGrid& grid, const std::string& id,
               const mv::DynamicArray& record, const dictionary::AccountItem& now,
               bool namesNewItem, bool* cancel);
    // The user's version of the item for the conflict window: as read, with the typed
    // fields on top.
    static std::string YoursOf(const mv::DynamicArray& typed, int lastField,
                               const std::optional<std::string>& asRead);
    mv::DynamicArray RecordToWrite(dictionary::ViewKind view, const mv::DynamicArray& typed,
                                   int lastField, const dictionary::AccountItem& now);
    void ShowWritten(dictionary::ViewKind view, grid::DataGrid& grid, const std::string& id,
                     const mv::DynamicArray& record, bool namesNewItem);
    void AddFirstRow(dictionary::ViewKind view, grid::DataGrid& grid, const QString& itemId,
                     const QStringList& fields);
    void RefillPhraseList();
    dictionary::DictionaryContext Context() const { return {vars_, open_, screen_}; }

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
    CompileOffer& compile_;
    CopyUnderNewName& copy_;
    // Set while Copy As commits a pending row: its before-save copies instead of saving.
    bool copyAsWanted_ = false;
};

}  // namespace editing

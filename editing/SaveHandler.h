// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "ViewKind.h"

struct MainControls;
struct Variables;

namespace dictionary {
struct OpenDictionary;
}
namespace grid {
class DataGrid;
}

namespace editing {

class CompileOffer;
class CopyUnderNewName;

// Writes a row the user leaves back to the open dictionary as a whole item: the item id
// from column 0 and exactly the view's fields from columns 1 to N.
//
// The row array never holds what the account does not: a row whose write the server
// refused, or that has no item id, stays pending in its grid with the typed values
// (the notification is cancelled) until it is saved again or dropped with Escape.
class SaveHandler {
public:
    SaveHandler(Variables& vars, MainControls& controls, dictionary::OpenDictionary& open,
                CompileOffer& compile, CopyUnderNewName& copy)
        : vars_(vars), controls_(controls), open_(open), compile_(compile), copy_(copy) {}

    // The grids' before-save notification.
    void BeforeSave(int viewIndex, bool* cancel);
    // After a grid stored a row: the row counter follows the row array, and a PH row
    // appears in the phrase list at once.
    void AfterSave(int viewIndex);

private:
    void Save(dictionary::ViewKind view, grid::DataGrid& grid, bool* cancel);
    void AddFirstRow(dictionary::ViewKind view, grid::DataGrid& grid, const QString& itemId,
                     const QStringList& fields);
    void RefillPhraseList();

    Variables& vars_;
    MainControls& controls_;
    dictionary::OpenDictionary& open_;
    CompileOffer& compile_;
    CopyUnderNewName& copy_;
};

}  // namespace editing

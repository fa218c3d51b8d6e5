// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <QString>
#include <QStringList>

#include "dictionary/ViewKind.h"

namespace dictionary {
struct OpenDictionary;
}
namespace grid {
class DataGrid;
}

namespace editing {

// What a save is about to write, as the detailed text of its "Save?" box.
struct WriteToDescribe {
    QString itemId;
    QStringList captions;  // the grid's column captions: field n under captions[n]
    QStringList typed;     // fields 1, 2, ... as the row holds them
    // The item as read, when the write changes an item the row was read from; null for
    // a new item (or one the write replaces whole).
    const std::string* asRead = nullptr;
    // Without asRead: the item of that name exists and is replaced whole.
    bool replacesWhole = false;
    // The item whose row's id was typed over, which stays as it is; empty for none.
    QString keptItemId;
    // The fields of the item after the typed ones stay as they are; false when the save
    // leaves them out (the compiled form of an I or V item, which the compile writes).
    bool keepsLaterFields = true;
};

// For an item as read, one line per changed field, "Field 3 (Conv): D2/ -> D4/", an
// empty side as "(empty)", and a line for later fields the save leaves out; "No field
// changes." when there are none. For a new item, "New item X:" and each of its fields.
// Marks are shown by their labels ("[VM]"), as in the item detail.
QString ChangesToWrite(const WriteToDescribe& write);

// The detail of the "Save?" box for the grid's current row, saved as the view saves it:
// the typed fields 1 to the view's last column, over the item as read unless the row
// names a new item. Reads the typed values without moving the current cell.
QString SaveDetail(const dictionary::OpenDictionary& open, const grid::DataGrid& grid,
                   dictionary::ViewKind view);

// The detail of the "Save?" box of a copy of the grid's current row under `name`: the
// new item's fields 1 to lastField.
QString CopyDetail(const dictionary::OpenDictionary& open, const grid::DataGrid& grid,
                   const QString& name, int lastField);

}  // namespace editing

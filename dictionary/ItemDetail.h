// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace grid {
class DataGrid;
}

namespace dictionary {

struct OpenDictionary;

// A field as a line of the detail: "Field 3 (Conversion): D2/", the caption only for
// fields a column shows, marks as their labels ("[VM]").
QString FieldLine(int n, const QStringList& captions, const QString& value);

// The detail of the item on the grid's current row: every field of the item as the
// account held it when last read or written here, numbered, fields past the grid's
// columns included; on a row being edited, the values typed in its columns (and the
// line before them says so); then who uses the item and what it uses. Empty when no
// dictionary is open or the current line holds no item. Takes no longer than reading
// the item's fields: who uses what is worked out once per change of the records.
QString ItemDetailText(const OpenDictionary& open, const grid::DataGrid& grid);

}  // namespace dictionary

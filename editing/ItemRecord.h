// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

#include "DynamicArray.h"

namespace grid {
class DataGrid;
}

namespace editing {

// A new record holding exactly fields 1 to lastField: field n is the text of column n
// of the grid's current row as typed, empty cells giving empty fields in their places.
// Visits the columns in order, so the grid's current column ends on lastField.
mv::DynamicArray ItemRecordFromGrid(grid::DataGrid& grid, int lastField);

// Fields 1 to lastField of a record as text, for a row of the views.
QStringList FieldTexts(const mv::DynamicArray& record, int lastField);

}  // namespace editing

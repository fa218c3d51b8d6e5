// SPDX-License-Identifier: MIT
#pragma once

#include "platform/mv/DynamicArray.h"

namespace grid {
class DataGrid;
}

namespace editing {

// A new record holding exactly fields 1 to lastField: field n is the text of column n
// of the grid's current row as typed, empty cells giving empty fields in their places.
// Visits the columns in order, so the grid's current column ends on lastField.
mv::DynamicArray ItemRecordFromGrid(grid::DataGrid& grid, int lastField);

// The record with the fields of `account` after lastField appended: a view shows only
// fields 1 to its last column, and a save must not drop what the item holds after them.
// `record` holds exactly fields 1 to lastField.
mv::DynamicArray WithFieldsAfter(const mv::DynamicArray& record, int lastField,
                                 const mv::DynamicArray& account);

}  // namespace editing

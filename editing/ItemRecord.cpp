// SPDX-License-Identifier: MIT
#include "ItemRecord.h"

#include "DataGrid.h"
#include "TextBridge.h"

namespace editing {

mv::DynamicArray ItemRecordFromGrid(grid::DataGrid& grid, int lastField) {
    mv::DynamicArray record;
    for (int n = 1; n <= lastField; ++n) {
        grid.SetCol(n);
        record.Field(static_cast<std::int16_t>(n)).SetStringValue(TextBridge::ToBytes(grid.Text()));
    }
    return record;
}

QStringList FieldTexts(const mv::DynamicArray& record, int lastField) {
    QStringList fields;
    for (int n = 1; n <= lastField; ++n) {
        fields << TextBridge::ToText(record.FieldValue(static_cast<std::int16_t>(n)));
    }
    return fields;
}

}  // namespace editing

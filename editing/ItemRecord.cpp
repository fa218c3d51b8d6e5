// SPDX-License-Identifier: MIT
#include "editing/ItemRecord.h"

#include "connection/TextBridge.h"
#include "platform/grid/DataGrid.h"

namespace editing {

mv::DynamicArray ItemRecordFromGrid(grid::DataGrid& grid, int lastField) {
    mv::DynamicArray record;
    for (int n = 1; n <= lastField; ++n) {
        grid.SetCol(n);
        record.Field(static_cast<std::int16_t>(n)).SetStringValue(TextBridge::ToBytes(grid.Text()));
    }
    return record;
}

mv::DynamicArray WithFieldsAfter(const mv::DynamicArray& record, int lastField,
                                 const mv::DynamicArray& account) {
    const std::string& text = account.Text();
    std::size_t mark = std::string::npos;
    std::size_t from = 0;
    for (int n = 0; n < lastField; ++n) {
        mark = text.find(mv::DynamicArray::kFieldMark, from);
        if (mark == std::string::npos) {
            return record;  // the account's item has no field after lastField
        }
        from = mark + 1;
    }
    return mv::DynamicArray(record.Text() + mv::DynamicArray::kFieldMark + text.substr(from));
}

}  // namespace editing

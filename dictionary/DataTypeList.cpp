// SPDX-License-Identifier: MIT
#include "dictionary/DataTypeList.h"

#include <array>

namespace dictionary {

std::shared_ptr<grid::RowArray> MakeDataTypeList() {
    static const std::array<const char*, 12> entries{"INT",     "SMALLINT", "DEC",    "NUMERIC",
                                                     "REAL",    "FLOAT",    "DOUBLE", "CHAR",
                                                     "VARCHAR", "DATE",     "TIME",   ""};
    auto list = std::make_shared<grid::RowArray>();
    list->Resize(static_cast<int>(entries.size()) - 1, 0);
    for (std::size_t row = 0; row < entries.size(); ++row) {
        list->SetCell(static_cast<int>(row), 0, QString::fromLatin1(entries[row]));
    }
    return list;
}

}  // namespace dictionary

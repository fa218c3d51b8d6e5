// SPDX-License-Identifier: MIT
#include "dictionary/ValueLists.h"

#include <initializer_list>

#include "dictionary/DictionaryScreen.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"

namespace dictionary {

namespace {

std::shared_ptr<grid::RowArray> ListOf(std::initializer_list<const char*> entries) {
    auto list = std::make_shared<grid::RowArray>();
    list->Resize(static_cast<int>(entries.size()) - 1, 0);
    int row = 0;
    for (const char* entry : entries) {
        list->SetCell(row++, 0, QString::fromLatin1(entry));
    }
    return list;
}

// A list control of the grid's own, hidden, living as long as the grid.
void Attach(grid::DataGrid& grid, int column, const std::shared_ptr<grid::RowArray>& entries) {
    auto* list = new grid::DropDownList(column, &grid);
    list->Bind(entries);
    grid.SetDropDown(column, list);
}

}  // namespace

std::shared_ptr<grid::RowArray> MakeSingleMultipleList() {
    return ListOf({"S", "M", ""});
}

std::shared_ptr<grid::RowArray> MakeConversionList() {
    return ListOf({"D2/",  "D4/",  "D2-", "D4-",  "D-YMD", "D",   "MD0", "MD2",
                   "MD2,", "MD2$", "MR2", "MR2,", "ML",    "MCU", "MCL", "MCT",
                   "MT",   "MTS",  "MTH", "G0*1", "G1*1",  "MX",  ""});
}

void AttachValueLists(DictionaryScreen& screen) {
    const auto singleMultiple = MakeSingleMultipleList();
    const auto conversions = MakeConversionList();
    grid::DataGrid& as = screen.Grid(ViewKind::AS);
    Attach(as, kAsSingleMultipleColumn, singleMultiple);
    Attach(as, kAsConversionColumn, conversions);
    grid::DataGrid& div = screen.Grid(ViewKind::DIV);
    Attach(div, kDivSingleMultipleColumn, singleMultiple);
    Attach(div, kDivConversionColumn, conversions);
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "dictionary/ValueLists.h"

#include <initializer_list>

#include "dictionary/DictionaryScreen.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"

namespace dictionary {

namespace {

// Columns by what they hold (column n is field n of the item).
constexpr int kAsSingleMultiple = 5;
constexpr int kAsConversion = 7;
constexpr int kDivConversion = 3;
constexpr int kDivSingleMultiple = 6;

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
    Attach(as, kAsSingleMultiple, singleMultiple);
    Attach(as, kAsConversion, conversions);
    grid::DataGrid& div = screen.Grid(ViewKind::DIV);
    Attach(div, kDivSingleMultiple, singleMultiple);
    Attach(div, kDivConversion, conversions);
}

}  // namespace dictionary

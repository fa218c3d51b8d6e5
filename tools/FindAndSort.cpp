// SPDX-License-Identifier: MIT
#include "tools/FindAndSort.h"

#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "tools/ToolSupport.h"

namespace tools {

bool FindAndSort::SetFindText(const QString& text) {
    if (text == open_.shown.findText) {
        return true;
    }
    if (!open_.IsOpen()) {
        // Nothing is shown yet: the next open shows the rows that contain the text.
        open_.shown.findText = text;
        return true;
    }
    const auto& grids = screen_.Grids();
    if (!SettlePendingRows({grids[0], grids[1], grids[2], grids[3]})) {
        return false;
    }
    open_.shown.findText = text;
    dictionary::BindAllShownRows(open_, screen_);
    return true;
}

const QString& FindAndSort::FindText() const {
    return open_.shown.findText;
}

void FindAndSort::HeaderClicked(int viewIndex, int column) {
    if (!dictionary::IsViewIndex(viewIndex)) {
        return;
    }
    const dictionary::ViewKind view = dictionary::ViewAt(viewIndex);
    if (column < 0 || column > dictionary::LayoutOf(view).LastColumn()) {
        return;
    }
    dictionary::RowOrder& order = open_.shown.orders[static_cast<std::size_t>(viewIndex)];
    grid::DataGrid& grid = screen_.Grid(view);
    if (!open_.IsOpen()) {
        order = order.AfterClickOn(column);
        grid.SetSortIndicator(order.column, order.descending);
        return;
    }
    if (!SettlePendingRows({&grid})) {
        return;
    }
    order = order.AfterClickOn(column);
    dictionary::BindShownRows(open_, screen_, view);
}

}  // namespace tools

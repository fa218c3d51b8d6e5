// SPDX-License-Identifier: MIT
#include "tools/FindAndSort.h"

#include <QObject>

#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"
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
    // Typing here settles no row: a pending row stays shown as typed (BindShownRows).
    open_.shown.findText = text;
    dictionary::BindAllShownRows(open_, screen_);
    return true;
}

void FindAndSort::Connect(QObject* receiver) {
    for (grid::DataGrid* grid : screen_.Grids()) {
        // The row's end is signalled from inside the grid (a store, a drop, a re-read):
        // the grid is bound again once that is over.
        QObject::connect(grid->Model(), &grid::RowArrayModel::pendingRowEnded, receiver,
                         [this, receiver] {
                             QMetaObject::invokeMethod(
                                 receiver,
                                 [this] {
                                     if (open_.IsOpen()) {
                                         dictionary::BindPinnedRows(open_, screen_);
                                     }
                                 },
                                 Qt::QueuedConnection);
                         });
    }
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

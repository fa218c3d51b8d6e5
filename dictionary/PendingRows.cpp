// SPDX-License-Identifier: MIT
#include "dictionary/PendingRows.h"

#include "platform/grid/DataGrid.h"

namespace dictionary {

namespace {

template <typename Grids>
grid::DataGrid* SettleEach(const Grids& grids, const grid::DataGrid* skip) {
    for (grid::DataGrid* grid : grids) {
        if (grid == nullptr || grid == skip) {
            continue;
        }
        // Also takes the text of a cell editor that is still open.
        grid->CommitRow();
        if (grid->HasPendingRow()) {
            return grid;
        }
    }
    return nullptr;
}

}  // namespace

grid::DataGrid* SettlePendingRows(std::initializer_list<grid::DataGrid*> grids,
                                  const grid::DataGrid* skip) {
    return SettleEach(grids, skip);
}

grid::DataGrid* SettlePendingRows(const std::array<grid::DataGrid*, 4>& grids,
                                  const grid::DataGrid* skip) {
    return SettleEach(grids, skip);
}

}  // namespace dictionary

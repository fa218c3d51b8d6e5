// SPDX-License-Identifier: MIT
#include "PendingRows.h"

#include "DataGrid.h"

namespace editing {

int SettlePendingRows(const std::array<grid::DataGrid*, 4>& grids, const grid::DataGrid* skip) {
    for (std::size_t i = 0; i < grids.size(); ++i) {
        grid::DataGrid* grid = grids[i];
        if (grid == nullptr || grid == skip) {
            continue;
        }
        // Also takes the text of a cell editor that is still open.
        grid->CommitRow();
        if (grid->HasPendingRow()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace editing

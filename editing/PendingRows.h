// SPDX-License-Identifier: MIT
#pragma once

#include <array>

namespace grid {
class DataGrid;
}

namespace editing {

// Settles the row the user left pending in each grid but `skip`, as leaving the row
// would: the save question comes up and the row is written, dropped or refused. Used
// before the grids are bound to freshly read rows, which would silently drop it.
// Returns the index of the first grid whose row is still pending (a refused write, a
// row without an item id), or -1 when none is.
int SettlePendingRows(const std::array<grid::DataGrid*, 4>& grids,
                      const grid::DataGrid* skip = nullptr);

}  // namespace editing

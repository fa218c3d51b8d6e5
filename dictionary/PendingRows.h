// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <initializer_list>

namespace grid {
class DataGrid;
}

namespace dictionary {

// Settles the row the user left pending in each of the grids but `skip`, as leaving the
// row would: the save question comes up and the row is written, dropped or refused.
// Used before the grids are bound to freshly read or narrowed rows, which would
// silently drop it. Returns the first grid whose row is still pending (a refused write,
// a row without an item id), or null when none is.
grid::DataGrid* SettlePendingRows(std::initializer_list<grid::DataGrid*> grids,
                                  const grid::DataGrid* skip = nullptr);
grid::DataGrid* SettlePendingRows(const std::array<grid::DataGrid*, 4>& grids,
                                  const grid::DataGrid* skip = nullptr);

}  // namespace dictionary

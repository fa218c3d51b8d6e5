// SPDX-License-Identifier: MIT
#pragma once

#include <array>

namespace grid {
class DataGrid;
}

namespace app {

// Sets every column of the four grids to its fixed share of its grid's width: the
// grid's width (in twips, read again for each column) divided by the column's divisor,
// fractions kept. Grids in view order; a null grid is skipped.
void ApplyColumnWidths(const std::array<grid::DataGrid*, 4>& grids);

// The divisor of a column of a view's grid; 0 for a column the view does not have.
double ColumnDivisor(int view, int column);

}  // namespace app

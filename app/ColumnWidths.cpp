// SPDX-License-Identifier: MIT
#include "app/ColumnWidths.h"

#include <algorithm>
#include <vector>

#include "platform/grid/DataGrid.h"

namespace app {

namespace {

// Per view: the width of the grid divided by these gives each column's width. The
// phrase column takes 1/1.6 of its grid, five times the item column.
const std::array<std::vector<double>, 4> kDivisors{{
    {8, 18, 18, 10, 10, 20, 10, 18, 5, 20, 18},
    {8, 18, 1.6},
    {8, 20, 4, 22, 7, 22, 22, 8, 8},
    {8, 18, 18, 10, 10, 20, 10, 18, 5, 20, 18},
}};

}  // namespace

double ColumnDivisor(int view, int column) {
    if (view < 0 || view >= static_cast<int>(kDivisors.size())) {
        return 0;
    }
    const auto& divisors = kDivisors[static_cast<std::size_t>(view)];
    return column >= 0 && column < static_cast<int>(divisors.size())
               ? divisors[static_cast<std::size_t>(column)]
               : 0;
}

void ApplyColumnWidths(const std::array<grid::DataGrid*, 4>& grids) {
    for (std::size_t view = 0; view < grids.size(); ++view) {
        grid::DataGrid* grid = grids[view];
        if (grid == nullptr) {
            continue;
        }
        const auto& divisors = kDivisors[view];
        for (std::size_t column = 0; column < divisors.size(); ++column) {
            const double width = std::max(0.0, grid->WidthTwips());
            grid->SetColumnWidthTwips(static_cast<int>(column), width / divisors[column]);
        }
    }
}

}  // namespace app

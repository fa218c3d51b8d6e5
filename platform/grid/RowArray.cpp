// SPDX-License-Identifier: MIT
#include "platform/grid/RowArray.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace grid {

RowArray::RowArray(int rowCount, int columnCount) {
    Resize(rowCount - 1, columnCount - 1);
}

void RowArray::Resize(int lastRow, int lastColumn) {
    const int newRows = std::max(lastRow, -1) + 1;
    const int newColumns = std::max(lastColumn, -1) + 1;
    if (newColumns == columns_) {
        const std::size_t needed =
            static_cast<std::size_t>(newRows) * static_cast<std::size_t>(newColumns);
        if (needed > cells_.capacity()) {
            cells_.reserve(std::max(needed, cells_.capacity() * 2));
        }
        cells_.resize(needed);
        rows_ = newRows;
        return;
    }
    // A change of width moves every cell: lay the kept ones out afresh.
    std::vector<QString> relaid(static_cast<std::size_t>(newRows) *
                                static_cast<std::size_t>(newColumns));
    const int keptRows = std::min(rows_, newRows);
    const int keptColumns = std::min(columns_, newColumns);
    for (int r = 0; r < keptRows; ++r) {
        for (int c = 0; c < keptColumns; ++c) {
            relaid[static_cast<std::size_t>(r) * static_cast<std::size_t>(newColumns) +
                   static_cast<std::size_t>(c)] = std::move(cells_[Offset(r, c)]);
        }
    }
    cells_ = std::move(relaid);
    rows_ = newRows;
    columns_ = newColumns;
}

QString RowArray::Cell(int row, int column) const {
    return Contains(row, column) ? cells_[Offset(row, column)] : QString();
}

bool RowArray::SetCell(int row, int column, const QString& text) {
    if (!Contains(row, column)) {
        return false;
    }
    cells_[Offset(row, column)] = text;
    return true;
}

bool RowArray::RemoveRow(int row) {
    if (row < 0 || row >= rows_) {
        return false;
    }
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(Offset(row, 0));
    cells_.erase(first, first + columns_);
    --rows_;
    return true;
}

}  // namespace grid

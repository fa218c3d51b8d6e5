// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include <QString>

namespace grid {

// A table of text cells by (row, column), both counted from 0, as the grids show it.
// A cell that was never written reads as empty text. The cells live in one flat vector,
// row after row, so 100,000 rows of 11 columns cost one allocation and a cell read is an
// index computation; growing by rows keeps every cell in place and reserves
// geometrically, so a read that appends row by row stays linear.
// Not a QObject: whoever changes rows behind a grid's back makes the grid re-read them.
class RowArray {
public:
    RowArray() = default;
    RowArray(int rowCount, int columnCount);

    // Makes the array rows 0 to lastRow and columns 0 to lastColumn; every cell that
    // exists in both the old and the new shape keeps its text. -1 gives no rows (or no
    // columns). Negative values below -1 count as -1.
    void Resize(int lastRow, int lastColumn);

    // Empty text for a cell outside the array.
    QString Cell(int row, int column) const;
    // Returns false, and changes nothing, for a cell outside the array.
    bool SetCell(int row, int column, const QString& text);

    int RowCount() const { return rows_; }
    int HighestRow() const { return rows_ - 1; }
    int ColumnCount() const { return columns_; }

    // Removes one row; the rows after it move up by one. False for a row outside.
    bool RemoveRow(int row);

private:
    bool Contains(int row, int column) const {
        return row >= 0 && row < rows_ && column >= 0 && column < columns_;
    }
    std::size_t Offset(int row, int column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }

    std::vector<QString> cells_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace grid

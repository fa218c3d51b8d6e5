// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

namespace grid {

// A table of text cells by (row, column), both counted from 0, as the grids show it.
// A cell that was never written reads as empty text.
// Each row is one block of bytes: its cells one after the other, each behind its length.
// Cells hold the bytes of items (one character per byte), so a row is kept one byte per
// character; a row with a character above U+00FF is kept as UTF-16 instead. 100,000 rows
// of 11 columns cost about a byte per character and one allocation per row, where a
// string per cell cost some 40 bytes each; a cell is made into text only when read.
// Growing by rows keeps every row in place and reserves geometrically, so a read that
// appends row by row stays linear.
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
    // Whether a cell reads as `text`, without making the cell into text (false outside).
    bool CellEquals(int row, int column, const QString& text) const;
    // Returns false, and changes nothing, for a cell outside the array.
    bool SetCell(int row, int column, const QString& text);
    // Sets a whole row at once: cell n from cells[n], cells past the list empty, texts
    // past the last column ignored. False, and nothing changed, for a row outside.
    bool SetRow(int row, const QStringList& cells);
    // Sets a whole row from bytes, one character per byte: cell 0 is `first`, the cells
    // after it the pieces of `rest` between `separator`s (pieces past the last column are
    // ignored, missing ones leave their cells empty). The read of a large table fills its
    // rows so, with no text made for each cell. False, and nothing changed, for a row outside.
    bool SetRowFromBytes(int row, std::string_view first, std::string_view rest, char separator);
    // Sets row `row` to the cells of row `sourceRow` of `source` (the same width keeps
    // the bytes as they are). False, and nothing changed, for a row outside either.
    bool CopyRow(int row, const RowArray& source, int sourceRow);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    int HighestRow() const { return RowCount() - 1; }
    int ColumnCount() const { return columns_; }

    // Removes one row; the rows after it move up by one. False for a row outside.
    bool RemoveRow(int row);

private:
    bool Contains(int row, int column) const {
        return row >= 0 && row < RowCount() && column >= 0 && column < columns_;
    }
    std::string Encoded(const QStringList& cells) const;

    std::vector<std::string> rows_;
    int columns_ = 0;
};

}  // namespace grid

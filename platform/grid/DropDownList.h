// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QStringList>
#include <QWidget>

#include "platform/grid/RowArray.h"

namespace grid {

// A list of entries for the cells of one grid column, bound to a row array of one
// column (column 0; other columns are ignored). The program places it as a control of
// its own; it stays hidden, and a grid column it is attached to (DataGrid::SetDropDown)
// edits with an editable combo box listing the entries, read from the array each time
// an editor opens. Picking an entry puts its text into the cell; typed text is kept as
// typed, so a cell may hold a value that is not in the list.
class DropDownList : public QWidget {
    Q_OBJECT
public:
    explicit DropDownList(int index, QWidget* parent = nullptr);

    int Index() const { return index_; }

    void Bind(std::shared_ptr<RowArray> rows);
    const std::shared_ptr<RowArray>& BoundArray() const { return rows_; }

    // Column 0 of every row, in row order; empty cells give empty entries.
    QStringList Entries() const;

private:
    int index_;
    std::shared_ptr<RowArray> rows_;
};

}  // namespace grid

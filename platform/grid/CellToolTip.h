// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QModelIndex;
class QTableView;

namespace grid {

// The tool tip of a cell of a grid: its note, and its whole text when the column is too
// narrow to show all of it (both, a blank line apart). Empty when there is neither.
QString CellToolTip(const QTableView& view, const QModelIndex& index);

}  // namespace grid

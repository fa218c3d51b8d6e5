// SPDX-License-Identifier: MIT
#include "platform/grid/RowGuardSelectionModel.h"

#include <algorithm>

namespace grid {

RowGuardSelectionModel::RowGuardSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {}

void RowGuardSelectionModel::setCurrentIndex(const QModelIndex& index,
                                             QItemSelectionModel::SelectionFlags command) {
    const QModelIndex current = currentIndex();
    if (!guard_ || !index.isValid() || !current.isValid() || index.row() == current.row()) {
        QItemSelectionModel::setCurrentIndex(index, command);
        return;
    }
    const int row = index.row();
    const int column = index.column();
    if (!guard_()) {
        return;
    }
    // Storing the row may have added the empty line below it, and a re-read may have
    // changed the rows altogether: find the target again by its numbers.
    const int rows = model()->rowCount();
    const int columns = model()->columnCount();
    if (rows == 0 || columns == 0) {
        QItemSelectionModel::setCurrentIndex(QModelIndex(), command);
        return;
    }
    QItemSelectionModel::setCurrentIndex(
        model()->index(std::min(row, rows - 1), std::min(column, columns - 1)), command);
}

void RowGuardSelectionModel::SetCurrentIndexUnguarded(const QModelIndex& index) {
    QItemSelectionModel::setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

}  // namespace grid

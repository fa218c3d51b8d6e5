// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QItemSelectionModel>

namespace grid {

// The selection model of a DataGrid. Every change of the current index made by the
// view (mouse, keys, setCurrentIndex) passes here before it happens, so the grid can
// commit its pending row while that row is still current, and refuse the move when the
// handler cancels or a notification is running. A column change within the row passes.
class RowGuardSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    // Asked before the current row changes; returns whether it may.
    using Guard = std::function<bool()>;

    RowGuardSelectionModel(QAbstractItemModel* model, QObject* parent);

    void SetGuard(Guard guard) { guard_ = std::move(guard); }

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override;
    // The grid's own moves (re-reading, deleting): no question asked.
    void SetCurrentIndexUnguarded(const QModelIndex& index);

private:
    Guard guard_;
};

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "editing/ItemDetailFollower.h"

#include <QObject>

#include "dictionary/ItemDetail.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"

namespace editing {

void ItemDetailFollower::Connect(QObject* receiver) {
    for (grid::DataGrid* grid : screen_.Grids()) {
        const auto follow = [this, grid] { FollowChangeIn(grid); };
        QObject::connect(grid, &grid::DataGrid::currentRowChanged, receiver, follow);
        QObject::connect(grid, &grid::DataGrid::afterSave, receiver, follow);
        QObject::connect(grid, &grid::DataGrid::afterDelete, receiver, follow);
        const grid::RowArrayModel* model = grid->Model();
        // Only text of the current row changes the detail; notes and tints do not.
        QObject::connect(model, &QAbstractItemModel::dataChanged, receiver,
                         [this, grid](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                      const QList<int>& roles) {
                             const int row = grid->CurrentRow();
                             const bool text = roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                                               roles.contains(Qt::EditRole);
                             if (text && topLeft.row() <= row && row <= bottomRight.row()) {
                                 FollowChangeIn(grid);
                             }
                         });
        QObject::connect(model, &QAbstractItemModel::modelReset, receiver, follow);
        QObject::connect(model, &QAbstractItemModel::rowsInserted, receiver, follow);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, receiver, follow);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, receiver, follow);
    }
}

const grid::DataGrid* ItemDetailFollower::GridInFront() const {
    for (const grid::DataGrid* grid : screen_.Grids()) {
        // Only the page of the tab in front is shown, whether or not the window is yet.
        if (grid->isVisibleTo(grid->window())) {
            return grid;
        }
    }
    return nullptr;
}

QString ItemDetailFollower::CurrentDetail() const {
    const grid::DataGrid* grid = GridInFront();
    return grid == nullptr ? QString() : dictionary::ItemDetailText(open_, *grid);
}

void ItemDetailFollower::ShowCurrent() {
    screen_.ShowItemDetail(CurrentDetail());
}

void ItemDetailFollower::FollowChangeIn(const grid::DataGrid* grid) {
    if (screen_.ItemDetailShown() && grid == GridInFront()) {
        ShowCurrent();
    }
}

}  // namespace editing

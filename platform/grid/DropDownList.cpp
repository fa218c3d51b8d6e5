// SPDX-License-Identifier: MIT
#include "platform/grid/DropDownList.h"

#include <utility>

namespace grid {

DropDownList::DropDownList(int index, QWidget* parent) : QWidget(parent), index_(index) {
    hide();
}

void DropDownList::Bind(std::shared_ptr<RowArray> rows) {
    rows_ = std::move(rows);
}

QStringList DropDownList::Entries() const {
    QStringList entries;
    if (!rows_) {
        return entries;
    }
    entries.reserve(rows_->RowCount());
    for (int row = 0; row < rows_->RowCount(); ++row) {
        entries.append(rows_->Cell(row, 0));
    }
    return entries;
}

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "dictionary/ViewSet.h"

#include "dictionary/Dependencies.h"
#include "dictionary/ViewLayout.h"
#include "platform/mv/DynamicArray.h"

namespace dictionary {

ViewSet::ViewSet() {
    for (auto& rows : rows_) {
        rows = std::make_shared<grid::RowArray>();
    }
}

std::shared_ptr<grid::RowArray> ViewSet::Rows(ViewKind view) const {
    return rows_[Slot(view)];
}

void ViewSet::AddRow(ViewKind view, const QString& itemId, const QStringList& fields) {
    grid::RowArray& rows = *rows_[Slot(view)];
    const int row = counters_[Slot(view)];
    const int lastColumn = LayoutOf(view).LastColumn();
    rows.Resize(row, lastColumn);
    QStringList cells;
    cells.reserve(lastColumn + 1);
    cells.append(itemId);
    cells.append(fields.mid(0, lastColumn));
    rows.SetRow(row, cells);
    counters_[Slot(view)] = row + 1;
}

void ViewSet::AddItemRow(ViewKind view, std::string_view itemId, std::string_view record) {
    grid::RowArray& rows = *rows_[Slot(view)];
    const int row = counters_[Slot(view)];
    rows.Resize(row, LayoutOf(view).LastColumn());
    rows.SetRowFromBytes(row, itemId, record, mv::DynamicArray::kFieldMark);
    counters_[Slot(view)] = row + 1;
}

const Dependencies& ViewSet::CurrentDependencies() const {
    if (dependencies_ && dependenciesAt_ == records_.Changes()) {
        return *dependencies_;
    }
    std::vector<std::string> changed;
    if (dependencies_ && records_.ChangedSince(dependenciesAt_, changed)) {
        dependencies_->Update(records_, changed);
    } else {
        dependencies_ = std::make_shared<Dependencies>(records_);
    }
    dependenciesAt_ = records_.Changes();
    return *dependencies_;
}

}  // namespace dictionary

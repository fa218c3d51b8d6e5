// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include <array>
#include <memory>

#include <QStringList>

#include "dictionary/RecordsAsRead.h"
#include "dictionary/ViewKind.h"
#include "platform/grid/RowArray.h"

namespace dictionary {

class Dependencies;

// The rows of the open dictionary: one row array and one row counter per view, and the
// empty-null flag, and the records the rows were read from. Replaced as a whole at each
// open. The row arrays are shared with the
// grids that show them, which store edited rows and remove deleted ones by themselves.
// Counters are plain ints: a view holds as many rows as memory allows.
class ViewSet {
public:
    ViewSet();

    std::shared_ptr<grid::RowArray> Rows(ViewKind view) const;
    int Counter(ViewKind view) const { return counters_[Slot(view)]; }
    void SetCounter(ViewKind view, int count) { counters_[Slot(view)] = count; }

    // Appends a row at index Counter(view): column 0 the item id, column n field n for the
    // view's columns (missing fields are empty), then counts it.
    void AddRow(ViewKind view, const QString& itemId, const QStringList& fields);
    // The same from an item's bytes as read (fields separated by field marks).
    void AddItemRow(ViewKind view, std::string_view itemId, std::string_view record);

    // What the account held for each item when it was read or last written here.
    RecordsAsRead& Records() { return records_; }
    const RecordsAsRead& Records() const { return records_; }

    // Who uses which item, as Records() stand now: brought up to date on the first call
    // after they changed (for the changed items and those that name them), so a save,
    // delete or copy shows at once.
    const Dependencies& CurrentDependencies() const;

    bool EmptyNull() const { return emptyNull_; }
    void SetEmptyNull(bool on) { emptyNull_ = on; }

private:
    static std::size_t Slot(ViewKind view) { return static_cast<std::size_t>(ViewIndex(view)); }

    std::array<std::shared_ptr<grid::RowArray>, kViewCount> rows_;
    std::array<int, kViewCount> counters_{};
    RecordsAsRead records_;
    mutable std::shared_ptr<Dependencies> dependencies_;
    mutable unsigned long long dependenciesAt_ = 0;  // records_.Changes() they were made at
    bool emptyNull_ = false;
};

}  // namespace dictionary

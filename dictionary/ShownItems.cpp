// SPDX-License-Identifier: MIT
#include "dictionary/ShownItems.h"

#include <algorithm>

#include "connection/TextBridge.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/RecordFields.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"

namespace dictionary {

namespace {

// Shows the array's new cells: a grid reads cells as it paints them, but takes the
// number of rows only when it re-reads. A grid whose user is typing a row keeps it; a
// shrunken array is shown safely until the next re-read.
void ShowChanges(grid::DataGrid& grid, bool rowsChanged) {
    if (rowsChanged && grid.Phase() == grid::EditPhase::Idle) {
        grid.ReBind();
    } else {
        grid.Refresh();
    }
}

}  // namespace

bool ShownItems::Holds(const grid::RowArray& rows, const QString& id) {
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (rows.CellEquals(row, 0, id)) {
            return true;
        }
    }
    return false;
}

// Runs change(array, lastColumn, rowToSkip) on each array of each view but a skipped
// whole array; change returns 0 (nothing changed), 1 (cells changed) or 2 (rows were
// removed).
template <typename Change>
void ShownItems::ForEachArray(Skip skip, Change&& change) {
    ViewSet& views = *open_.views;
    for (int index = 0; index < kViewCount; ++index) {
        const ViewKind view = ViewAt(index);
        const int lastColumn = LayoutOf(view).LastColumn();
        grid::DataGrid* grid = grids_[static_cast<std::size_t>(index)];
        const std::shared_ptr<grid::RowArray> own = views.Rows(view);
        const std::shared_ptr<grid::RowArray> shown = grid ? grid->BoundArray() : nullptr;
        const auto rowToSkip = [&skip](const grid::RowArray& rows) {
            return &rows == skip.array ? skip.row : -1;
        };
        const auto skipped = [&skip](const grid::RowArray& rows) {
            return &rows == skip.array && skip.row < 0;
        };
        int changeOfShown = 0;
        if (!skipped(*own)) {
            const int outcome = change(*own, lastColumn, rowToSkip(*own));
            if (outcome == 2) {
                views.SetCounter(view, own->RowCount());
            }
            if (shown == own) {
                changeOfShown = outcome;
            }
        }
        if (shown && shown != own && !skipped(*shown)) {
            changeOfShown = change(*shown, lastColumn, rowToSkip(*shown));
        }
        if (changeOfShown != 0 && grid) {
            ShowChanges(*grid, changeOfShown == 2);
        }
    }
}

void ShownItems::Show(const std::string& id, const mv::DynamicArray& record,
                      const grid::DataGrid* acting) {
    open_.views->Records().Remember(id, record.Text());
    const QString itemId = TextBridge::ToText(id);
    const Skip skip{acting ? acting->BoundArray().get() : nullptr,
                    acting ? std::max(acting->CurrentRow(), 0) : -1};
    ForEachArray(skip, [&](grid::RowArray& rows, int lastColumn, int rowToSkip) {
        int changed = 0;
        QStringList fields;
        for (int row = 0; row < rows.RowCount(); ++row) {
            if (row == rowToSkip || !rows.CellEquals(row, 0, itemId)) {
                continue;
            }
            if (fields.isEmpty()) {
                fields = FieldTexts(record, lastColumn);
            }
            for (int column = 1; column <= lastColumn; ++column) {
                if (!rows.CellEquals(row, column, fields[column - 1])) {
                    rows.SetCell(row, column, fields[column - 1]);
                    changed = 1;
                }
            }
        }
        return changed;
    });
}

void ShownItems::Remove(const std::string& id, const grid::DataGrid* acting) {
    open_.views->Records().Forget(id);
    const QString itemId = TextBridge::ToText(id);
    const Skip skip{acting ? acting->BoundArray().get() : nullptr, -1};
    ForEachArray(skip, [&](grid::RowArray& rows, int, int) {
        int changed = 0;
        for (int row = rows.RowCount() - 1; row >= 0; --row) {
            if (rows.CellEquals(row, 0, itemId)) {
                rows.RemoveRow(row);
                changed = 2;
            }
        }
        return changed;
    });
}

void ShownItems::Rename(const std::string& from, const std::string& to,
                        const mv::DynamicArray& record) {
    open_.views->Records().Forget(from);
    open_.views->Records().Remember(to, record.Text());
    const QString oldId = TextBridge::ToText(from);
    const QString newId = TextBridge::ToText(to);
    ForEachArray(Skip{}, [&](grid::RowArray& rows, int, int) {
        int changed = 0;
        for (int row = 0; row < rows.RowCount(); ++row) {
            if (rows.CellEquals(row, 0, oldId)) {
                rows.SetCell(row, 0, newId);
                changed = 1;
            }
        }
        return changed;
    });
}

void ShownItems::ShowAccount(const std::string& id, const std::optional<mv::DynamicArray>& now) {
    if (now) {
        Show(id, *now);
    } else {
        Remove(id);
    }
}

void ShownItems::AddToViewBehindNarrowing(int viewIndex, const std::string& id,
                                          const mv::DynamicArray& record) {
    if (!IsViewIndex(viewIndex)) {
        return;
    }
    const ViewKind view = ViewAt(viewIndex);
    ViewSet& views = *open_.views;
    const grid::DataGrid* grid = grids_[static_cast<std::size_t>(viewIndex)];
    const QString itemId = TextBridge::ToText(id);
    if (grid == nullptr || grid->BoundArray() == views.Rows(view) ||
        Holds(*views.Rows(view), itemId)) {
        return;
    }
    // Appended after every row the array holds, so the counter ends as its row count.
    views.SetCounter(view, views.Rows(view)->RowCount());
    views.AddRow(view, itemId, FieldTexts(record, LayoutOf(view).LastColumn()));
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "dictionary/ShownRows.h"

#include <algorithm>
#include <set>

#include <QHash>

#include "dictionary/DictionaryScreen.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/grid/RowArrayModel.h"

namespace dictionary {

namespace {

// Locations sort by value, so 10 comes after 9.
bool SortsByNumber(ViewKind view, int column) {
    return column == kLocationColumn && (view == ViewKind::AS || view == ViewKind::DIV);
}

void KeepPhrase(const grid::RowArray& rows, const QStringList& words, std::vector<int>& indices) {
    // How often each word occurs, so each row is looked up once however long the phrase.
    QHash<QString, int> occurrences;
    for (const QString& word : words) {
        if (!word.isEmpty()) {
            ++occurrences[word];
        }
    }
    std::vector<int> kept;
    for (const int row : indices) {
        const int times = occurrences.value(rows.Cell(row, kIdColumn));
        kept.insert(kept.end(), static_cast<std::size_t>(times), row);
    }
    indices = std::move(kept);
}

void KeepFound(const grid::RowArray& rows, int lastColumn, const QString& text,
               std::vector<int>& indices) {
    const auto contains = [&](int row) {
        for (int column = 0; column <= lastColumn; ++column) {
            if (rows.Cell(row, column).contains(text, Qt::CaseInsensitive)) {
                return true;
            }
        }
        return false;
    };
    indices.erase(
        std::remove_if(indices.begin(), indices.end(), [&](int row) { return !contains(row); }),
        indices.end());
}

// What a row sorts by: a number where the column sorts numbers and the cell holds one,
// else its text. Numbers come before text.
struct SortKey {
    std::optional<double> number;
    QString text;
};

int Compare(const SortKey& a, const SortKey& b) {
    if (a.number && b.number) {
        return *a.number < *b.number ? -1 : (*b.number < *a.number ? 1 : 0);
    }
    if (a.number || b.number) {
        return a.number ? -1 : 1;
    }
    const int folded = a.text.compare(b.text, Qt::CaseInsensitive);
    return folded != 0 ? folded : a.text.compare(b.text, Qt::CaseSensitive);
}

void Order(const grid::RowArray& rows, ViewKind view, RowOrder order, std::vector<int>& indices) {
    if (order.column < 0) {
        return;
    }
    const bool numeric = SortsByNumber(view, order.column);
    std::vector<SortKey> keys(static_cast<std::size_t>(rows.RowCount()));
    for (const int row : indices) {
        SortKey key{std::nullopt, rows.Cell(row, order.column)};
        if (numeric) {
            bool ok = false;
            const double value = key.text.trimmed().toDouble(&ok);
            if (ok && !key.text.trimmed().isEmpty()) {
                key.number = value;
            }
        }
        keys[static_cast<std::size_t>(row)] = std::move(key);
    }
    std::stable_sort(indices.begin(), indices.end(), [&](int a, int b) {
        const int compared =
            Compare(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        return order.descending ? compared > 0 : compared < 0;
    });
}

}  // namespace

RowOrder RowOrder::AfterClickOn(int clicked) const {
    if (column != clicked) {
        return {clicked, false};
    }
    if (!descending) {
        return {clicked, true};
    }
    return {};
}

bool ShownRowsState::Reshapes(ViewKind view) const {
    return PhraseApplies(view) || !findText.isEmpty() ||
           orders[static_cast<std::size_t>(ViewIndex(view))].column >= 0;
}

std::vector<int> ShownRowIndices(const grid::RowArray& rows, int lastColumn, ViewKind view,
                                 const ShownRowsState& state) {
    std::vector<int> indices(static_cast<std::size_t>(rows.RowCount()));
    for (int row = 0; row < rows.RowCount(); ++row) {
        indices[static_cast<std::size_t>(row)] = row;
    }
    if (state.PhraseApplies(view)) {
        KeepPhrase(rows, *state.phraseWords, indices);
    }
    if (!state.findText.isEmpty()) {
        KeepFound(rows, lastColumn, state.findText, indices);
    }
    Order(rows, view, state.orders[static_cast<std::size_t>(ViewIndex(view))], indices);
    return indices;
}

std::shared_ptr<grid::RowArray> CopyOfRows(const grid::RowArray& rows, int lastColumn,
                                           const std::vector<int>& indices) {
    auto copy = std::make_shared<grid::RowArray>(static_cast<int>(indices.size()), lastColumn + 1);
    for (std::size_t target = 0; target < indices.size(); ++target) {
        copy->CopyRow(static_cast<int>(target), rows, indices[target]);
    }
    return copy;
}

namespace {

// The row of `own` that row `row` of `shown` (a copy of some of own's rows, or own itself)
// shows, or -1.
int RowOfOwn(const grid::RowArray& own, const grid::RowArray& shown, int row, int lastColumn) {
    if (&own == &shown) {
        return row;
    }
    QStringList cells;
    for (int column = 0; column <= lastColumn; ++column) {
        cells.append(shown.Cell(row, column));
    }
    for (int candidate = 0; candidate < own.RowCount(); ++candidate) {
        bool same = true;
        for (int column = 0; column <= lastColumn && same; ++column) {
            same = own.CellEquals(candidate, column, cells[column]);
        }
        if (same) {
            return candidate;
        }
    }
    return -1;
}

// Binds the grid around its pending row: the rows it would show, and the pending row's
// own row where it stands in the order shown without the find. False when the row the
// pending row stands on is no longer among the view's rows.
bool BindAroundPendingRow(OpenDictionary& open, grid::DataGrid& grid, ViewKind view) {
    const ShownRowsState& state = open.shown;
    const std::shared_ptr<grid::RowArray> own = open.views->Rows(view);
    const int lastColumn = LayoutOf(view).LastColumn();
    const bool isNew = grid.PendingRowIsNew();
    const int pinned =
        isNew ? -1 : RowOfOwn(*own, *grid.BoundArray(), grid.Model()->PendingRow(), lastColumn);
    if (!isNew && pinned < 0) {
        return false;
    }
    ShownRowsState withoutFind = state;
    withoutFind.findText.clear();
    const std::vector<int> found = ShownRowIndices(*own, lastColumn, view, state);
    const std::set<int> fits(found.begin(), found.end());
    std::vector<int> indices;
    for (const int row : ShownRowIndices(*own, lastColumn, view, withoutFind)) {
        if (fits.count(row) != 0 || row == pinned) {
            indices.push_back(row);
        }
    }
    const auto at = std::find(indices.begin(), indices.end(), pinned);
    const int pendingRow =
        isNew ? static_cast<int>(indices.size()) : static_cast<int>(at - indices.begin());
    std::shared_ptr<grid::RowArray> rows =
        state.Reshapes(view) ? CopyOfRows(*own, lastColumn, indices) : own;
    return grid.BindKeepingPendingRow(std::move(rows), pendingRow);
}

}  // namespace

void BindShownRows(OpenDictionary& open, DictionaryScreen& screen, ViewKind view) {
    ShownRowsState& state = open.shown;
    grid::DataGrid& grid = screen.Grid(view);
    const std::shared_ptr<grid::RowArray> own = open.views->Rows(view);
    bool& pinned = state.pinned[static_cast<std::size_t>(ViewIndex(view))];
    pinned = false;
    // A row being typed is never dropped to narrow or order the others; a handler of the
    // grid's own notification that binds its rows again means to drop it.
    if (grid.Phase() == grid::EditPhase::Editing) {
        pinned = true;
        if (!BindAroundPendingRow(open, grid, view)) {
            return;  // it keeps showing what it showed, and is bound once the row settles
        }
    } else if (!state.Reshapes(view)) {
        if (grid.BoundArray() != own) {
            grid.Bind(own);
        }
    } else {
        const int lastColumn = LayoutOf(view).LastColumn();
        grid.Bind(CopyOfRows(*own, lastColumn, ShownRowIndices(*own, lastColumn, view, state)));
    }
    const RowOrder order = state.orders[static_cast<std::size_t>(ViewIndex(view))];
    grid.SetSortIndicator(order.column, order.descending);
    screen.SetViewCaption(view, ShownCaption(view, state, grid.BoundArray()->RowCount()));
}

void BindAllShownRows(OpenDictionary& open, DictionaryScreen& screen) {
    for (int index = 0; index < kViewCount; ++index) {
        BindShownRows(open, screen, ViewAt(index));
    }
}

void BindPinnedRows(OpenDictionary& open, DictionaryScreen& screen) {
    for (int index = 0; index < kViewCount; ++index) {
        const ViewKind view = ViewAt(index);
        if (open.shown.pinned[static_cast<std::size_t>(index)] &&
            !screen.Grid(view).HasPendingRow()) {
            BindShownRows(open, screen, view);
        }
    }
}

QString ShownCaption(ViewKind view, const ShownRowsState& state, int rowsShown) {
    const QString& caption = LayoutOf(view).tabCaption;
    if (state.findText.isEmpty()) {
        return caption;
    }
    return QStringLiteral("%1 (%2)").arg(caption).arg(rowsShown);
}

void ShowMatchCounts(const OpenDictionary& open, DictionaryScreen& screen) {
    for (int index = 0; index < kViewCount; ++index) {
        const ViewKind view = ViewAt(index);
        const auto& rows = screen.Grid(view).BoundArray();
        screen.SetViewCaption(view, ShownCaption(view, open.shown, rows ? rows->RowCount() : 0));
    }
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "dictionary/ViewKind.h"

namespace grid {
class RowArray;
}

namespace dictionary {

class DictionaryScreen;
struct OpenDictionary;

// How a grid orders the rows it shows: by one column's text, or in the order the account
// listed the items.
struct RowOrder {
    int column = -1;  // -1: the account's order
    bool descending = false;

    bool operator==(const RowOrder&) const = default;
    // The next order a click on the header of `clicked` gives: ascending by a column not
    // sorted on yet, then descending, then the account's order again.
    RowOrder AfterClickOn(int clicked) const;
};

// What narrows and orders the grids beyond the rows the views hold: the phrase chosen in
// the phrase list (A/S and D/I/V grids only), the text of the find box (every grid), and
// each grid's order. It outlives each read: a refresh keeps the find and the orders and
// forgets the phrase, as the phrase list then shows "All".
struct ShownRowsState {
    std::optional<QStringList> phraseWords;
    QString findText;
    std::array<RowOrder, kViewCount> orders{};
    // Per grid: bound while a row of it was pending, which stayed shown whether or not it
    // fits; the grid is bound again once that row is settled (BindPinnedRows).
    std::array<bool, kViewCount> pinned{};

    bool PhraseApplies(ViewKind view) const {
        return phraseWords && (view == ViewKind::AS || view == ViewKind::DIV);
    }
    // True when the grid of the view shows anything but the view's own rows as they are.
    bool Reshapes(ViewKind view) const;
};

// The rows of `rows` the grid of `view` shows, as indices into `rows`, in the order
// shown: first the phrase (each row once for each time the phrase names its id, in the
// rows' order), then the find text (a row whose cells 0 to lastColumn contain it,
// letter case ignored), then the order (stable, so equal cells keep the account's order;
// the location column compares numbers by value).
std::vector<int> ShownRowIndices(const grid::RowArray& rows, int lastColumn, ViewKind view,
                                 const ShownRowsState& state);

// A new array with copies of the rows at `indices`, columns 0 to lastColumn.
std::shared_ptr<grid::RowArray> CopyOfRows(const grid::RowArray& rows, int lastColumn,
                                           const std::vector<int>& indices);

// Binds the grid of `view` to what it shows now: the view's own row array when nothing
// narrows or orders it, else a fresh copy of the rows it shows. Rows the grids show in a
// copy stay in step with the account through ShownItems, as any narrowed copy does.
// The grid's sort indicator and the tab caption (with the count of matches while a find
// is active) follow. A pending row of the grid is never dropped: it stays shown with its
// typed values, in its place among the rows shown, whether or not it fits (pinned).
void BindShownRows(OpenDictionary& open, DictionaryScreen& screen, ViewKind view);
void BindAllShownRows(OpenDictionary& open, DictionaryScreen& screen);
// Binds again each grid that was bound around a pending row, once it has none.
void BindPinnedRows(OpenDictionary& open, DictionaryScreen& screen);

// The tab caption of a view: with the number of rows its grid shows while a find is on.
QString ShownCaption(ViewKind view, const ShownRowsState& state, int rowsShown);
// Puts the captions of every tab in step with the rows their grids show now.
void ShowMatchCounts(const OpenDictionary& open, DictionaryScreen& screen);

}  // namespace dictionary

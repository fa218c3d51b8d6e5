// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QObject;

#include "dictionary/DictionaryScreen.h"

namespace tools {

// The find box and the column headers: what the grids show, never what the account
// holds. The find narrows every grid to the rows whose id or any cell contains its text
// (letter case ignored) and puts the count of matches on each tab; it combines with the
// phrase chosen in the phrase list. A click on a column's header sorts the rows its grid
// shows by that column, a second click sorts them descending, a third shows the account's
// order again. Rows shown this way are edited, saved and deleted exactly as in the full
// view.
class FindAndSort {
public:
    explicit FindAndSort(const dictionary::DictionaryContext& context)
        : open_(context.open), screen_(context.screen) {}

    // The find box holds `text` now (empty: the find is off). Nothing is asked: a row
    // left pending stays shown, pending, where it is, and the find reaches it once it is
    // saved or its changes are dropped (Connect).
    bool SetFindText(const QString& text);
    // Binds a grid again once the pending row that was kept through a find is settled,
    // for as long as receiver lives.
    void Connect(QObject* receiver);
    const QString& FindText() const;

    // The header of `column` of the grid of view `viewIndex` was clicked.
    void HeaderClicked(int viewIndex, int column);

private:
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
};

}  // namespace tools

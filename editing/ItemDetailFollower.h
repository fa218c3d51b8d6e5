// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "dictionary/DictionaryScreen.h"

class QObject;

namespace editing {

// Keeps the screen's item detail on the current row of the grid in front: sent again
// when that grid's current row changes, when typing changes the row, and when its rows
// are stored, re-read or removed. Grids behind other tabs are not followed until their
// tab comes to the front (ShowCurrent); none is followed while the screen shows no detail.
class ItemDetailFollower {
public:
    explicit ItemDetailFollower(const dictionary::DictionaryContext& context)
        : open_(context.open), screen_(context.screen) {}

    // Follows the screen's grids for as long as receiver lives.
    void Connect(QObject* receiver);

    // The detail of the current row of the grid in front; empty when no grid is in front.
    QString CurrentDetail() const;
    // Sends CurrentDetail to the screen.
    void ShowCurrent();

private:
    void FollowChangeIn(const grid::DataGrid* grid);
    const grid::DataGrid* GridInFront() const;

    const dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
};

}  // namespace editing

// SPDX-License-Identifier: MIT
#pragma once

#include "dictionary/DictionaryScreen.h"

namespace editing {

// Shift+F2 on a grid: the current cell in a larger editor of its own (long expressions
// of several statements). OK types the text into the cell as the user would, so the row
// becomes pending and is saved when left; Cancel changes nothing. Text the cell refuses
// is reported as refused typing is, and comes back in the editor to be put right.
class LargerCellEditor {
public:
    explicit LargerCellEditor(const dictionary::DictionaryContext& context)
        : vars_(context.vars), screen_(context.screen) {}

    // Edits the current cell of the grid of the view; nothing without a current cell or
    // while the grid is busy with a notification.
    void Edit(int viewIndex);

private:
    Variables& vars_;
    dictionary::DictionaryScreen& screen_;
};

}  // namespace editing

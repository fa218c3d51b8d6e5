// SPDX-License-Identifier: MIT
#pragma once

#include "dictionary/DictionaryScreen.h"

namespace grid {
class DataGrid;
}

namespace editing {

// Deletes the item of a row the user deletes in a grid, after asking (naming the I and V
// items and phrases that use it, when there are any). An item that was
// changed in the account after its row was read is deleted only when the user says so
// again. A row whose item the server did not delete, or whose delete failed
// unexpectedly, stays in its grid; a deleted item leaves every view and narrowed copy.
class DeleteHandler {
public:
    explicit DeleteHandler(const dictionary::DictionaryContext& context)
        : vars_(context.vars), open_(context.open), screen_(context.screen) {}

    // The grids' before-delete notification.
    void BeforeDelete(int viewIndex, bool* cancel);
    // After a grid removed a row: the row counter follows the row array.
    void AfterDelete(int viewIndex);

private:
    void Delete(int viewIndex, bool* cancel);
    // Asks whether to delete the current row's item; true for Yes.
    bool Confirmed(const grid::DataGrid& grid);

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
};

}  // namespace editing

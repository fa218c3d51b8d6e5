// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

#include "dictionary/DictionaryScreen.h"
#include "platform/mv/DynamicArray.h"

namespace dictionary {
class DictionaryOpener;
}
namespace grid {
class DataGrid;
}

namespace editing {

class CompileOffer;

// A D/I/V row stored while its current cell is the item id: its fields 1 to 8 are
// written as a new item under a name the user types, the item the row showed stays as
// it is, and the dictionary is read again so the copy shows in the view of its type.
class CopyUnderNewName {
public:
    CopyUnderNewName(const dictionary::DictionaryContext& context,
                     dictionary::DictionaryOpener& opener, CompileOffer& compile)
        : vars_(context.vars),
          open_(context.open),
          screen_(context.screen),
          opener_(opener),
          compile_(compile) {}

    // Runs inside the grid's before-save notification. Sets *cancel, keeping the row
    // pending with its typed values, when the typed name cannot be used.
    void Run(grid::DataGrid& grid, bool* cancel);

private:
    enum class Decision { Go, Drop, KeepPending };
    // `replaced` takes what the account holds under the name, for the journal; `record`
    // is the copy, which becomes the merged record when the user merges it with a change
    // the account made to an item of that name after it was read.
    Decision CheckName(const QString& name, mv::DynamicArray& record,
                       std::optional<mv::DynamicArray>& replaced);
    // When I or V items or phrases use the item the row shows, names them and asks
    // whether to copy it all the same; true to go on.
    bool UsersAgree(const grid::DataGrid& grid, const QString& name);
    void ReadAgain(grid::DataGrid& grid);

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
    dictionary::DictionaryOpener& opener_;
    CompileOffer& compile_;
};

}  // namespace editing

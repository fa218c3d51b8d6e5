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

// A row copied under a name the user types: its fields 1 to the view's last column (typed
// values included) are written as an item of that name, the item the row showed stays as
// it is, and the dictionary is read again so the copy shows in the view of its type.
//
// Two ways in: a D/I/V row the user leaves by moving in the grid while its current cell is
// the overtyped item id (the copy offer: a cancelled name drops the typed change), and
// Edit > Copy As... or a command settling a row whose id was overtyped (a cancelled name
// keeps the row pending, so a command never loses what was typed).
class CopyUnderNewName {
public:
    CopyUnderNewName(const dictionary::DictionaryContext& context,
                     dictionary::DictionaryOpener& opener, CompileOffer& compile)
        : vars_(context.vars),
          open_(context.open),
          screen_(context.screen),
          opener_(opener),
          compile_(compile) {}

    enum class Start {
        LeavingIdColumn,  // the grid's copy offer
        Command,          // a command settling a row whose item id was overtyped
        CopyAs,           // Edit > Copy As...
    };

    // Runs inside the grid's before-save notification for a pending row, or (Copy As on a
    // row that is not pending) outside it. Sets *cancel, keeping the row pending with its
    // typed values, when the typed name cannot be used, and when a command's copy is
    // cancelled.
    void Run(Start start, dictionary::ViewKind view, grid::DataGrid& grid, bool* cancel);

private:
    // Drop: the user chose to see the account's item instead; Cancelled: the user
    // declined the copy.
    enum class Decision { Go, Drop, Cancelled, KeepPending };
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

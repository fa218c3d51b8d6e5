// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>

#include <QString>

struct Variables;

namespace dictionary {
struct OpenDictionary;
}
namespace grid {
class DataGrid;
}
namespace ui {
class Dialogs;
}

// Checks and helpers the tools share before they touch the account or the grids.
namespace tools {

// True when a dictionary is open; otherwise tells the user to open one first.
bool RequireOpenDictionary(Variables& vars, const dictionary::OpenDictionary& open);

// Settles a row the user left pending in any of the grids, as leaving the row would (the
// save question comes up), before a tool re-reads or rebinds them and would drop it.
// False when a row is still pending afterwards: the tool then stops.
bool SettlePendingRows(std::initializer_list<grid::DataGrid*> grids);

}  // namespace tools

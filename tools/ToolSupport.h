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

// True when fileName can name a file of the account (every character a byte); otherwise
// says so.
bool RequireByteFileName(Variables& vars, const QString& fileName);

// Settles a row the user left pending in any of the grids, as leaving the row would (the
// save question comes up), before a tool re-reads or rebinds them and would drop it.
// False when a row is still pending afterwards: the tool then stops.
bool SettlePendingRows(std::initializer_list<grid::DataGrid*> grids);

// The hourglass for the life of the object, however the work ends.
class Hourglass {
public:
    explicit Hourglass(ui::Dialogs& dialogs);
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    ui::Dialogs& dialogs_;
};

}  // namespace tools

// SPDX-License-Identifier: MIT
#include "ToolSupport.h"

#include "DataGrid.h"
#include "Dialogs.h"
#include "OpenDictionary.h"
#include "TextBridge.h"
#include "Variables.h"

namespace tools {

bool RequireOpenDictionary(Variables& vars, const dictionary::OpenDictionary& open) {
    if (open.IsOpen()) {
        return true;
    }
    vars.dialogs.MsgBox(QStringLiteral("No dictionary is open. Type the name of a file and "
                                       "press Open first."),
                        ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    return false;
}

bool RequireByteFileName(Variables& vars, const QString& fileName) {
    if (TextBridge::IsLatin1(fileName)) {
        return true;
    }
    vars.dialogs.MsgBox(QStringLiteral("The file name holds characters that no file name of "
                                       "the account can hold."),
                        ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    return false;
}

bool SettlePendingRows(std::initializer_list<grid::DataGrid*> grids) {
    for (grid::DataGrid* grid : grids) {
        if (grid->HasPendingRow()) {
            grid->CommitRow();
        }
        if (grid->HasPendingRow()) {
            return false;
        }
    }
    return true;
}

Hourglass::Hourglass(ui::Dialogs& dialogs) : dialogs_(dialogs) {
    dialogs_.SetHourglass(true);
}

Hourglass::~Hourglass() {
    dialogs_.SetHourglass(false);
}

}  // namespace tools

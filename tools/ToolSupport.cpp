// SPDX-License-Identifier: MIT
#include "ToolSupport.h"

#include "DataGrid.h"
#include "Dialogs.h"
#include "OpenDictionary.h"
#include "PendingRows.h"
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

bool SettlePendingRows(std::initializer_list<grid::DataGrid*> grids) {
    return dictionary::SettlePendingRows(grids) == nullptr;
}

}  // namespace tools

// SPDX-License-Identifier: MIT
#include "tools/ToolSupport.h"

#include "connection/Variables.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PendingRows.h"
#include "platform/grid/DataGrid.h"
#include "platform/ui/Dialogs.h"

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

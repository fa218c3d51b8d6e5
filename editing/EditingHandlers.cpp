// SPDX-License-Identifier: MIT
#include "EditingHandlers.h"

#include "DataGrid.h"
#include "MainControls.h"
#include "PendingRows.h"
#include "TabControl.h"
#include "UnexpectedFailure.h"
#include "Variables.h"
#include "ViewLayout.h"

namespace editing {

bool EditingHandlers::SettleBeforeOpen() {
    bool settled = false;
    RunGuarded(vars_.dialogs, [&] {
        const grid::DataGrid* stillPending = dictionary::SettlePendingRows(controls_.TDBGrid1);
        settled = stillPending == nullptr;
        if (settled) {
            return;
        }
        const int pending = stillPending->ViewIndex();
        controls_.SSTab1->SetTab(pending);
        controls_.TDBGrid1[static_cast<std::size_t>(pending)]->setFocus();
        const QString tab = dictionary::LayoutOf(dictionary::ViewAt(pending)).tabCaption;
        vars_.dialogs.MsgBox(QStringLiteral("A changed row in the tab \"") + tab +
                                 QStringLiteral("\" is not saved. Save it, or press Esc to "
                                                "drop its changes, then open again."),
                             ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    });
    return settled;
}

}  // namespace editing

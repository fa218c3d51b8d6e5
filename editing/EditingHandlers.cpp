// SPDX-License-Identifier: MIT
#include "editing/EditingHandlers.h"

#include "connection/Variables.h"
#include "dictionary/PendingRows.h"
#include "dictionary/ViewLayout.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"

namespace editing {

bool EditingHandlers::SettleBeforeOpen() {
    bool settled = false;
    RunGuarded(vars_.dialogs, [&] {
        const grid::DataGrid* stillPending = dictionary::SettlePendingRows(screen_.Grids());
        settled = stillPending == nullptr;
        if (settled) {
            return;
        }
        const int pending = stillPending->ViewIndex();
        screen_.ShowView(dictionary::ViewAt(pending), /*focus=*/true);
        const QString tab = dictionary::LayoutOf(dictionary::ViewAt(pending)).tabCaption;
        vars_.dialogs.MsgBox(QStringLiteral("A changed row in the tab \"") + tab +
                                 QStringLiteral("\" is not saved. Save it, or press Esc to "
                                                "drop its changes, then open again."),
                             ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    });
    return settled;
}

}  // namespace editing

namespace editing {

bool EditingHandlers::SettleBeforeClose() {
    bool mayClose = false;
    RunGuarded(vars_.dialogs, [&] {
        int changed = 0;
        for (grid::DataGrid* grid : screen_.Grids()) {
            grid->CloseCellEditor();
            changed += grid->HasPendingRow() ? 1 : 0;
        }
        if (changed == 0) {
            mayClose = true;
            return;
        }
        const ui::Answer answer = vars_.dialogs.MsgBox(
            QStringLiteral("%1 changed rows are not saved. Save them before closing?").arg(changed),
            ui::Buttons::YesNoCancel, ui::Icon::Question, ui::kProgramTitle, ui::Answer::Yes);
        if (answer == ui::Answer::No) {
            mayClose = true;
            return;
        }
        if (answer != ui::Answer::Yes) {
            return;
        }
        for (grid::DataGrid* grid : screen_.Grids()) {
            if (!grid->HasPendingRow()) {
                continue;
            }
            // The user sees the row whose save questions come up.
            const dictionary::ViewKind view = dictionary::ViewAt(grid->ViewIndex());
            screen_.ShowView(view);
            grid->CommitRow();
            if (grid->HasPendingRow()) {
                screen_.ShowView(view, /*focus=*/true);
                return;
            }
        }
        mayClose = true;
    });
    return mayClose;
}

}  // namespace editing

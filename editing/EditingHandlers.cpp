// SPDX-License-Identifier: MIT
#include "editing/EditingHandlers.h"

#include <QObject>

#include "connection/Variables.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PendingRows.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ValueLists.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"

namespace editing {
void EditingHandlers::ConnectGrids(QObject* receiver) {
    rowLocks_.Connect();
    for (grid::DataGrid* grid : screen_.Grids()) {
        QObject::connect(grid, &grid::DataGrid::beforeSave, receiver,
                         [this](int view, bool* cancel) { TDBGrid1_BeforeSave(view, cancel); });
        QObject::connect(grid, &grid::DataGrid::afterSave, receiver,
                         [this](int view) { TDBGrid1_AfterSave(view); });
        QObject::connect(grid, &grid::DataGrid::beforeDelete, receiver,
                         [this](int view, bool* cancel) { TDBGrid1_BeforeDelete(view, cancel); });
        QObject::connect(grid, &grid::DataGrid::afterDelete, receiver,
                         [this](int view) { TDBGrid1_AfterDelete(view); });
        QObject::connect(grid, &grid::DataGrid::textRefused, receiver,
                         [this](int, grid::CellRefusal why) { TDBGrid1_TextRefused(why); });
    }
    detail_.Connect(receiver);
    for (grid::DataGrid* grid : screen_.Grids()) {
        QObject::connect(grid, &grid::DataGrid::largerEditorWanted, receiver,
                         [this](int view) { EditCellInLargerEditor(view); });
    }
    // Connected after the handlers, so the marks follow what each save, copy or delete
    // wrote, including a save cancelled after a copy was written.
    for (grid::DataGrid* grid : screen_.Grids()) {
        QObject::connect(grid, &grid::DataGrid::beforeSave, receiver,
                         [this](int, bool*) { RefreshMarks(); });
        QObject::connect(grid, &grid::DataGrid::beforeDelete, receiver,
                         [this](int, bool*) { RefreshMarks(); });
        QObject::connect(grid, &grid::DataGrid::afterDelete, receiver,
                         [this](int) { RefreshMarks(); });
    }
    notes_.Attach();
    dictionary::AttachValueLists(screen_);
}

void EditingHandlers::CompileAll() {
    RunGuarded(vars_.dialogs, [this] {
        compile_.CompileAll();
        RefreshMarks();
    });
}

void EditingHandlers::TDBGrid1_AfterDelete(int viewIndex) {
    if (viewIndex == dictionary::ViewIndex(dictionary::ViewKind::PH)) {
        RunGuarded(vars_.dialogs, [this] {
            dictionary::Fill_ComboPH(screen_, *open_.views->Rows(dictionary::ViewKind::PH));
        });
    }
    delete_.AfterDelete(viewIndex);
}

void EditingHandlers::TDBGrid1_TextRefused(grid::CellRefusal why) {
    vars_.dialogs.Beep();
    screen_.ShowStatus(
        why == grid::CellRefusal::FieldMark
            ? QStringLiteral("A cell holds one field: the field mark \u00FE cannot be typed into "
                             "it, since it would split the item's fields.")
            : QStringLiteral("That character cannot be typed into a cell: a cell holds only "
                             "characters of one byte (Latin-1)."),
        dictionary::kNoteShownMs);
}

void EditingHandlers::OpenAfterSettling() {
    // The open rebinds the grids, which would drop a row the user left pending.
    if (SettleBeforeOpen()) {
        opener_.cmdOpen_Click();
    }
}

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
            changed == 1
                ? QStringLiteral("1 changed row is not saved. Save it before closing?")
                : QStringLiteral("%1 changed rows are not saved. Save them before closing?")
                      .arg(changed),
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

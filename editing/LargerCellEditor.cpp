// SPDX-License-Identifier: MIT
#include "editing/LargerCellEditor.h"

#include "connection/Variables.h"
#include "dictionary/ViewKind.h"
#include "dictionary/ViewLayout.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/LongTextEditor.h"
#include "platform/grid/RowArrayModel.h"

namespace editing {

namespace {

// "Attribute Count or Formula of TOTAL": which cell the editor holds.
QString EditorTitle(const grid::DataGrid& grid, int column) {
    const QString itemId = grid.Model()->CellText(grid.CurrentRow(), dictionary::kIdColumn);
    return grid.ColumnCaptions().value(column) + QStringLiteral(" of ") +
           (itemId.isEmpty() ? QStringLiteral("the new item") : itemId);
}

}  // namespace

void LargerCellEditor::Edit(int viewIndex) {
    if (!dictionary::IsViewIndex(viewIndex)) {
        return;
    }
    grid::DataGrid& grid = screen_.Grid(dictionary::ViewAt(viewIndex));
    const int column = grid.Col();
    const grid::EditPhase phase = grid.Phase();
    if (column < 0 || (phase != grid::EditPhase::Idle && phase != grid::EditPhase::Editing)) {
        return;
    }
    RunGuarded(vars_.dialogs, [&] {
        grid::LongTextEditor form(grid.window());
        form.setWindowTitle(EditorTitle(grid, column));
        QString text = grid.Text();
        for (;;) {
            form.SetText(text);
            if (vars_.dialogs.ShowModal(form) != QDialog::Accepted) {
                return;
            }
            text = form.Text();
            // SetText reports a refusal through the grid, as typing does.
            if (text == grid.Text() || grid.SetText(text)) {
                return;
            }
        }
    });
}

}  // namespace editing

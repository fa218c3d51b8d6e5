// SPDX-License-Identifier: MIT
// Highlighting rows, by the row selector and by the keyboard.
#include <QKeyEvent>

#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"

namespace grid {

void DataGrid::OnRowClicked(int row, Qt::KeyboardModifiers modifiers) {
    if (Busy()) {
        return;
    }
    if (row != CurrentRow() && !SetCurrentRow(row)) {
        return;
    }
    if (row >= model_->ArrayRows()) {
        return;
    }
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers.testFlag(Qt::ShiftModifier) && highlightAnchor_ >= 0 &&
        highlightAnchor_ < model_->ArrayRows()) {
        if (!ctrl) {
            highlights_.Clear();
        }
        highlights_.AddRange(highlightAnchor_, row);
    } else if (ctrl) {
        highlights_.Toggle(row);
        highlightAnchor_ = row;
    } else {
        highlights_.Clear();
        highlights_.Add(row);
        highlightAnchor_ = row;
    }
    viewport()->update();
}

bool DataGrid::HighlightByKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event.key();
    const int row = CurrentRow();
    const bool onArrayRow = row >= 0 && row < model_->ArrayRows();
    if (key == Qt::Key_Space &&
        (modifiers == Qt::ShiftModifier || modifiers == Qt::ControlModifier)) {
        // The empty line for a new row holds no item: there is nothing to highlight.
        if (onArrayRow) {
            // Shift+Space starts afresh from this row, as a plain click on its selector.
            OnRowClicked(row, modifiers == Qt::ShiftModifier ? Qt::NoModifier : modifiers);
        }
        return true;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && modifiers == Qt::ShiftModifier) {
        if (!onArrayRow) {
            return true;
        }
        // The range runs from the row the highlighting started on; without one, from
        // the row the cursor leaves.
        if (highlightAnchor_ < 0 || highlightAnchor_ >= model_->ArrayRows() ||
            !highlights_.Contains(highlightAnchor_)) {
            highlightAnchor_ = row;
        }
        const int target = row + (key == Qt::Key_Up ? -1 : 1);
        if (target >= 0 && target < model_->ArrayRows()) {
            OnRowClicked(target, Qt::ShiftModifier);
        } else if (highlights_.Count() == 0) {
            OnRowClicked(row, Qt::ShiftModifier);
        }
        return true;
    }
    return false;
}

}  // namespace grid

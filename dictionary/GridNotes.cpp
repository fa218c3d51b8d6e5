// SPDX-License-Identifier: MIT
#include "dictionary/GridNotes.h"

#include <QTimer>

#include "dictionary/CellForms.h"
#include "dictionary/DictionaryScreen.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"

namespace dictionary {

GridNotes::~GridNotes() {
    for (const QPointer<grid::DataGrid>& grid : attached_) {
        if (grid) {
            grid->Model()->SetNoteSource({});
        }
    }
}

void GridNotes::Attach() {
    for (int index = 0; index < kViewCount; ++index) {
        grid::DataGrid* grid = screen_.Grids()[static_cast<std::size_t>(index)];
        attached_[static_cast<std::size_t>(index)] = grid;
        if (grid == nullptr) {
            continue;
        }
        const ViewKind view = ViewAt(index);
        grid->Model()->SetNoteSource([this, view, grid](int row, int column, const QString& shown) {
            return NoteOf(view, *grid, row, column, shown);
        });
    }
}

void GridNotes::Refresh() {
    if (!marks_.Update(open_.views)) {
        return;
    }
    for (const QPointer<grid::DataGrid>& grid : attached_) {
        if (grid) {
            grid->Model()->NotesChanged();
        }
    }
}

void GridNotes::RedrawLater() {
    // Asked while a grid paints: the other rows and grids are drawn again once it is done.
    // The call may outlive this object; it holds only what it needs.
    if (*redrawPending_ || !attached_[0]) {
        return;
    }
    *redrawPending_ = true;
    QTimer::singleShot(0, attached_[0], [pending = redrawPending_, grids = attached_] {
        *pending = false;
        for (const QPointer<grid::DataGrid>& grid : grids) {
            if (grid) {
                grid->Model()->NotesChanged();
            }
        }
    });
}

std::optional<grid::CellNote> GridNotes::NoteOf(ViewKind view, const grid::DataGrid& grid, int row,
                                                int column, const QString& shown) {
    if (marks_.Update(open_.views)) {
        RedrawLater();
    }
    const grid::RowArrayModel& model = *grid.Model();
    std::optional<grid::CellNote> note;
    if (marks_.BrokenCount() > 0) {
        if (const QString* problem = marks_.ProblemOf(model.CellText(row, kIdColumn))) {
            note = grid::CellNote{grid::CellNote::Kind::Broken, *problem};
        }
    }
    const QString typeField = column == kTypeColumn ? shown : model.CellText(row, kTypeColumn);
    if (const std::optional<QString> expected = CheckCell(view, column, shown, typeField)) {
        // The cell's own fault is the one to tint; the row's stays in its tool tip.
        const QString tip = note ? note->toolTip + QStringLiteral("\n\n") + *expected : *expected;
        note = grid::CellNote{grid::CellNote::Kind::Doubtful, tip};
    }
    return note;
}

}  // namespace dictionary

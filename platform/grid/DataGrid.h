// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QHash>
#include <QStringList>
#include <QTableView>

#include "platform/grid/EditPhase.h"
#include "platform/grid/HighlightList.h"
#include "platform/grid/RowArray.h"
#include "platform/grid/ValueMarks.h"

namespace grid {

class CellDelegate;
class DropDownList;
class RowArrayModel;
class RowGuardSelectionModel;
class RowSelectorHeader;

// The program measures lengths in twips, 15 to a pixel.
inline constexpr double kTwipsPerPixel = 15.0;

// A grid over a RowArray that edits one row at a time.
//
// Rows and bookmarks: a bookmark is a row index of the bound array. Below the last
// row is an empty line (NewRowLine()) that takes a new row.
//
// Editing: typing (or F2, or a double click) opens an editor on the current cell; its
// text goes into the pending copy of the current row, never straight into the array.
// The pending row is marked in its row selector (a pencil; a pencil and a star for a
// new row) and tinted. Keys: arrows and Tab/Shift+Tab move between cells; Enter
// commits the cell and moves to the next one, and on the last column to the next row;
// Escape in an open editor reverts the cell, Escape with the editor closed drops the
// whole pending row; Delete with the editor closed deletes the highlighted rows (see
// DeleteRows), and with none highlighted empties the current cell.
// The marks are typed with Ctrl+], Ctrl+\ and Ctrl+^ (ValueMarks.h). An editor refuses
// characters above U+00FF.
//
// Leaving the row commits it: moving to another row by mouse or keys, Enter on the last
// column, or CommitRow(). Losing the focus does not commit; the row stays pending and
// marked until the user comes back, and the program may call CommitRow() where it
// wants a pending row settled. The commit sends beforeSave(view index, cancel) and
// then stores the row (overwrite, or append for a new row) unless the handler re-read
// the rows (ReBind or Bind) or set *cancel. With *cancel set the row stays pending with
// its typed values and stays the current row.
//
// Inside beforeSave and beforeDelete the handler may read and set Col(), read Text()
// (the pending value), call ReBind() or Bind(), change the array and open modal boxes.
// Until the notification returns the grid takes no other action: it does not commit
// again, change rows, open editors, delete or drop the pending row, whatever events
// reach it. The state behind this is RowArrayModel's EditPhase.
//
// Notifications are signals emitted synchronously: connect them directly (the default
// for objects of the user-interface thread). An exception that escapes a handler counts
// as a cancel and goes no further.
class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(int viewIndex READ ViewIndex CONSTANT)
public:
    explicit DataGrid(int viewIndex, QWidget* parent = nullptr);
    ~DataGrid() override;

    int ViewIndex() const { return viewIndex_; }

    // The columns of the grid, whatever the array holds: cells past the array read as
    // empty, and a stored row widens the array to the grid's columns.
    void SetColumnCaptions(const QStringList& captions);
    QStringList ColumnCaptions() const;

    // Shows another array (the grid shares it with the program) or none. The pending
    // row and the highlight list are dropped; the first row becomes current.
    void Bind(std::shared_ptr<RowArray> rows);
    const std::shared_ptr<RowArray>& BoundArray() const;
    // Shows another array without touching the pending row: it stays with its typed values
    // over row `pendingRow` of the new array (its row count for a new row), and stays the
    // current row; an open cell editor's text is taken into it first. False, with nothing
    // changed, inside a notification or without a pending row that fits the new array.
    bool BindKeepingPendingRow(std::shared_ptr<RowArray> rows, int pendingRow);
    // Re-reads the rows of the bound array: the pending row is dropped, the current
    // cell and the highlights that still exist are kept.
    void ReBind();
    // Draws the grid again.
    void Refresh();
    // The arrow in a column's header that says the rows are sorted by it (ascending, or
    // descending); -1 shows none. What the rows are sorted by is the program's affair.
    void SetSortIndicator(int column, bool descending);
    int SortIndicatorColumn() const;

    // The current cell. Col() is -1 without a current cell; SetCol ignores a column
    // outside the grid. CurrentRow() is the bookmark of the current row, NewRowLine()
    // on the empty line. SetCurrentRow moves as the user would: it commits first and
    // returns false when the row could not be left.
    int Col() const;
    void SetCol(int column);
    int CurrentRow() const;
    bool SetCurrentRow(int row);
    int NewRowLine() const;
    // The text of the current cell: the pending value on the pending row.
    QString Text() const;
    // Types text into the current cell, as the user would. False when refused.
    bool SetText(const QString& text);

    EditPhase Phase() const;
    bool HasPendingRow() const;
    bool PendingRowIsNew() const;
    // Commits the pending row as leaving it would. The grid's own moves commit with
    // LeavingRow; the program settles a row with Command (the default).
    CommitOutcome CommitRow(CommitCause cause = CommitCause::Command);
    // Why the row being committed is committed; meaningful inside beforeSave.
    CommitCause CurrentCommitCause() const { return commitCause_; }
    // Takes the text of an open cell editor into the pending row without leaving the
    // row, so HasPendingRow also counts a cell that is still being typed.
    void CloseCellEditor();
    // Drops the pending row (and an open editor). False when nothing was dropped.
    bool CancelRow();
    // Puts the stored text of one cell back into the pending row of an existing row,
    // keeping its other typed values; a beforeSave handler may call it. False without
    // such a row.
    bool RevertPendingCell(int column);
    // What the Delete key does to highlighted rows: one beforeDelete each, from the
    // highest row down so the others keep their indices; each row whose handler did
    // not cancel is removed (later rows move up) and afterDelete follows. A pending
    // row's typed values are dropped first. A handler that re-reads ends the run. With
    // no row highlighted nothing happens. Returns the number of rows removed.
    int DeleteRows();
    // What the Delete key does in a cell when no row is highlighted: the cell's text
    // is emptied, as typing would. False when refused.
    bool ClearCell();

    // Rows highlighted with the row selector: a click highlights one row, Ctrl+click
    // adds or removes one, Shift+click highlights the rows from the last row clicked to
    // this one (Ctrl+Shift+click adds them). The list keeps the order in which rows
    // were highlighted. A plain click on a cell clears it. From the keyboard, while no
    // cell is being edited: Shift+Space highlights the current row alone, Shift+Up and
    // Shift+Down move and extend the highlight from that row, Ctrl+Space adds or removes
    // the current row.
    const HighlightList& Highlights() const { return highlights_; }
    int HighlightCount() const { return highlights_.Count(); }
    int HighlightedRow(int index) const { return highlights_.At(index); }
    void SetHighlightedRows(const QList<int>& rows);

    // Widths in twips (kTwipsPerPixel to a pixel), fractions allowed. Each column edge
    // is placed at the nearest pixel of the running total, so the columns add up to
    // what the program asked for.
    double WidthTwips() const;
    void SetColumnWidthTwips(int column, double twips);
    double ColumnWidthTwips(int column) const;

    // Cells of the column then edit with an editable list of the drop-down's entries.
    // Null detaches. The grid does not own the list.
    void SetDropDown(int column, DropDownList* list);
    DropDownList* DropDown(int column) const;

    RowArrayModel* Model() const { return model_; }

signals:
    // Before a pending row is stored. Set *cancel to keep the row pending.
    void beforeSave(int viewIndex, bool* cancel);
    // After a row was stored in the array.
    void afterSave(int viewIndex);
    // Before the current row is removed. Set *cancel to keep it.
    void beforeDelete(int viewIndex, bool* cancel);
    // After the grid removed a row from the array.
    void afterDelete(int viewIndex);
    // The header of a column was clicked.
    void headerClicked(int viewIndex, int column);
    // Typed or pasted text that a cell cannot hold was refused (see RefusalOf).
    void textRefused(int viewIndex, grid::CellRefusal why);
    // Another row became current (row -1: none), by the user or the program.
    void currentRowChanged(int viewIndex, int row);
    // The user typed the first character into a cell editor opened on `row`, before the
    // editor is closed and its text reaches the pending row.
    void typingStarted(int viewIndex, int row);
    // A cell editor was closed, its text taken into the pending row or dropped.
    void editorClosed(int viewIndex);
    // Shift+F2: the user wants the current cell in a larger editor. What an open cell
    // editor held is in the pending row by then; the grid opens nothing itself.
    void largerEditorWanted(int viewIndex);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool Busy() const;
    bool AllowRowChange();
    void CommitOpenEditor();
    void DiscardOpenEditor();
    void AdvanceAfterEnter();
    void TypeMark(QChar mark);
    void WantLargerEditor();
    void OnRowClicked(int row, Qt::KeyboardModifiers modifiers);
    // Shift+Space, Shift+Up/Down and Ctrl+Space outside a cell editor: the row
    // selector's highlighting from the keyboard. False for any other key.
    bool HighlightByKey(const QKeyEvent& event);
    void MoveCurrentUnguarded(int row, int column);
    void ApplyColumnWidths();

    const int viewIndex_;
    HighlightList highlights_;
    int highlightAnchor_ = -1;
    RowArrayModel* model_;
    CellDelegate* delegate_;
    RowSelectorHeader* rowSelector_;
    RowGuardSelectionModel* guard_ = nullptr;
    QHash<int, double> widthsTwips_;
    bool applyingWidths_ = false;
    CommitCause commitCause_ = CommitCause::Command;
};

}  // namespace grid

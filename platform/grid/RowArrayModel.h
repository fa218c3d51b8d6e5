// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

#include "platform/grid/CellNote.h"
#include "platform/grid/EditPhase.h"
#include "platform/grid/RowArray.h"

namespace grid {

// The table model of a grid: a thin adapter over a RowArray with the one pending row
// laid over it, plus an empty line at the bottom that takes a new row.
//
// Rows 0..ArrayRows()-1 are the array's rows (the row array is read cell by cell, never
// copied); row ArrayRows() is the new-row line. The number of array rows is taken at
// binding and re-reading only, so the rows on show never change under the view's feet:
// code that resizes the array behind the grid makes it re-read afterwards. Cells outside
// the array read as empty text, so a shrunken array is shown safely until then.
//
// The pending row and the EditPhase live here and nowhere else. Typed values go into
// the pending row; the array changes only when CommitPendingRow stores it.
class RowArrayModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RowArrayModel(QObject* parent = nullptr);

    void SetCaptions(const QStringList& captions);
    const QStringList& Captions() const { return captions_; }
    // A column whose cells show their whole text as a tool tip, for long texts that a
    // column cannot show in full.
    void SetWholeTextTips(int column, bool on);

    // Where the notes of cells come from (none: no cell has a note). A note tints its
    // cell (a Broken one the whole row, but for the row being typed), is the cell's tool
    // tip and is given by NoteRole.
    void SetNoteSource(CellNoteSource source);
    std::optional<CellNote> NoteOf(int row, int column) const;
    // The note the cell would have with `text` on show: a cell editor asks as the user
    // types, before the cell takes the text.
    std::optional<CellNote> NoteFor(int row, int column, const QString& text) const;
    // The notes may have changed anywhere: every cell is drawn again.
    void NotesChanged();
    // Data role of a cell's note kind (an int of CellNote::Kind), or no value.
    static constexpr int NoteRole = Qt::UserRole + 1;

    // Shows another array (or none) from scratch; the pending row is dropped.
    void Bind(std::shared_ptr<RowArray> rows);
    const std::shared_ptr<RowArray>& Array() const { return array_; }
    // Shows another array and keeps the pending row with its typed values, now over row
    // `pendingRow` of the new array (its row count for a new row). Only while Editing.
    bool BindKeepingPendingRow(std::shared_ptr<RowArray> rows, int pendingRow);
    // Shows the array afresh and drops the pending row. Inside a notification the
    // phase stays Committing or Deleting until the notification returns.
    void Reread();
    // Counts the re-reads and bindings, so a notification can tell that its handler
    // re-read the rows.
    unsigned long long Generation() const { return generation_; }

    int ArrayRows() const { return rows_; }
    // The row index of the empty line for a new row, -1 while nothing is bound.
    int NewRowLine() const { return array_ ? rows_ : -1; }

    // The text shown in a cell: the pending value on the pending row.
    QString CellText(int row, int column) const;
    // A read-only grid takes no typing and removes no row.
    void SetReadOnly(bool on);
    bool ReadOnly() const { return readOnly_; }
    // Typing into a cell: starts the pending row or changes it. Refused (false) during
    // a notification, for a row other than the pending one, and for characters that a
    // byte cannot hold (above U+00FF). Writing the text a cell already shows is
    // accepted and starts nothing.
    bool SetCellText(int row, int column, const QString& text);

    EditPhase Phase() const { return phase_; }
    bool HasPendingRow() const { return pendingRow_ >= 0; }
    int PendingRow() const { return pendingRow_; }
    bool PendingRowIsNew() const { return HasPendingRow() && pendingRow_ == rows_; }
    // Drops the typed values (Escape). Only while Editing.
    bool DropPendingRow();
    // Puts the array's text of one cell back into the pending row of an array row, the
    // other typed values kept; also inside a notification, where a handler refuses one
    // typed value. False without such a row.
    bool RevertPendingCell(int column);

    // Leaving the pending row: runs notify (the before-save notification, which
    // returns the cancel flag) and then stores the row, unless the handler cancelled
    // or re-read the rows. An exception from notify counts as a cancel.
    CommitOutcome CommitPendingRow(const std::function<bool()>& notify);
    // Removing an array row: runs notify (the before-delete notification) and then
    // removes the row, unless the handler cancelled or re-read. Only while Idle.
    DeleteOutcome DeleteRow(int row, const std::function<bool()>& notify);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // Typing started the pending row on `row` (NewRowLine() for a new row).
    void pendingRowStarted(int row);
    // The pending row that was on `row` is no more: stored, dropped or re-read.
    void pendingRowEnded(int row);

private:
    void ResetRows(const std::function<void()>& change = {});
    void ClearPending();
    void StorePending();
    void EmitRowChanged(int row);

    std::shared_ptr<RowArray> array_;
    QStringList captions_;
    QSet<int> wholeTextTipColumns_;
    CellNoteSource noteSource_;
    int rows_ = 0;
    unsigned long long generation_ = 0;

    EditPhase phase_ = EditPhase::Idle;
    bool readOnly_ = false;
    int pendingRow_ = -1;
    std::vector<QString> pendingValues_;
};

}  // namespace grid

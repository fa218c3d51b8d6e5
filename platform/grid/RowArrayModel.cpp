// SPDX-License-Identifier: MIT
#include "platform/grid/RowArrayModel.h"

#include <algorithm>
#include <utility>

#include <QColor>

#include "platform/grid/ValueMarks.h"

namespace grid {

namespace {

const QColor kPendingRowBackground(255, 244, 196);

}  // namespace

RowArrayModel::RowArrayModel(QObject* parent) : QAbstractTableModel(parent) {}

void RowArrayModel::SetCaptions(const QStringList& captions) {
    if (captions.size() == captions_.size()) {
        captions_ = captions;
        if (!captions_.isEmpty()) {
            emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(captions_.size()) - 1);
        }
        return;
    }
    ResetRows([&] { captions_ = captions; });
}

void RowArrayModel::Bind(std::shared_ptr<RowArray> rows) {
    ResetRows([&] { array_ = std::move(rows); });
}

bool RowArrayModel::BindKeepingPendingRow(std::shared_ptr<RowArray> rows, int pendingRow) {
    const int count = rows ? rows->RowCount() : 0;
    if (phase_ != EditPhase::Editing || pendingRow < 0 || pendingRow > count ||
        (PendingRowIsNew() != (pendingRow == count))) {
        return false;
    }
    beginResetModel();
    array_ = std::move(rows);
    rows_ = count;
    pendingRow_ = pendingRow;
    ++generation_;
    endResetModel();
    return true;
}

void RowArrayModel::Reread() {
    ResetRows();
}

void RowArrayModel::ResetRows(const std::function<void()>& change) {
    beginResetModel();
    if (change) {
        change();
    }
    ClearPending();
    if (phase_ == EditPhase::Editing) {
        phase_ = EditPhase::Idle;
    }
    rows_ = array_ ? array_->RowCount() : 0;
    ++generation_;
    endResetModel();
}

void RowArrayModel::ClearPending() {
    const int row = std::exchange(pendingRow_, -1);
    pendingValues_.clear();
    if (row >= 0) {
        emit pendingRowEnded(row);
    }
}

QString RowArrayModel::CellText(int row, int column) const {
    if (row == pendingRow_ && column >= 0 &&
        static_cast<std::size_t>(column) < pendingValues_.size()) {
        return pendingValues_[static_cast<std::size_t>(column)];
    }
    if (!array_ || row >= rows_) {
        return {};
    }
    return array_->Cell(row, column);
}

void RowArrayModel::SetReadOnly(bool on) {
    if (on) {
        DropPendingRow();
    }
    readOnly_ = on;
}

bool RowArrayModel::SetCellText(int row, int column, const QString& text) {
    const int columns = columnCount();
    if (readOnly_ || !array_ || row < 0 || row > rows_ || column < 0 || column >= columns) {
        return false;
    }
    if (phase_ == EditPhase::Committing || phase_ == EditPhase::Deleting) {
        return false;
    }
    if (phase_ == EditPhase::Editing && row != pendingRow_) {
        return false;
    }
    if (RefusalOf(text) != CellRefusal::None) {
        return false;
    }
    if (CellText(row, column) == text) {
        return true;
    }
    if (phase_ == EditPhase::Idle) {
        pendingValues_.resize(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            pendingValues_[static_cast<std::size_t>(c)] = CellText(row, c);
        }
        pendingRow_ = row;
        phase_ = EditPhase::Editing;
        pendingValues_[static_cast<std::size_t>(column)] = text;
        EmitRowChanged(row);
        emit pendingRowStarted(row);
        return true;
    }
    pendingValues_[static_cast<std::size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void RowArrayModel::EmitRowChanged(int row) {
    const int columns = columnCount();
    if (row < 0 || row >= rowCount() || columns == 0) {
        return;
    }
    emit dataChanged(index(row, 0), index(row, columns - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

bool RowArrayModel::DropPendingRow() {
    if (phase_ != EditPhase::Editing) {
        return false;
    }
    const int row = pendingRow_;
    ClearPending();
    phase_ = EditPhase::Idle;
    EmitRowChanged(row);
    return true;
}

bool RowArrayModel::RevertPendingCell(int column) {
    if (!HasPendingRow() || PendingRowIsNew() || column < 0 ||
        static_cast<std::size_t>(column) >= pendingValues_.size()) {
        return false;
    }
    pendingValues_[static_cast<std::size_t>(column)] =
        array_ ? array_->Cell(pendingRow_, column) : QString();
    const QModelIndex cell = index(pendingRow_, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

CommitOutcome RowArrayModel::CommitPendingRow(const std::function<bool()>& notify) {
    if (phase_ == EditPhase::Committing || phase_ == EditPhase::Deleting) {
        return CommitOutcome::Busy;
    }
    if (phase_ != EditPhase::Editing) {
        return CommitOutcome::NothingPending;
    }
    const unsigned long long generation = generation_;
    phase_ = EditPhase::Committing;
    bool cancel = true;
    try {
        cancel = notify();
    } catch (...) {
        cancel = true;
    }
    if (generation_ != generation) {
        // The re-read has dropped the pending row already.
        phase_ = EditPhase::Idle;
        return CommitOutcome::Reread;
    }
    if (cancel) {
        phase_ = EditPhase::Editing;
        return CommitOutcome::Cancelled;
    }
    StorePending();
    return CommitOutcome::Stored;
}

void RowArrayModel::StorePending() {
    const int row = pendingRow_;
    const bool isNew = row == rows_;
    const int columns = columnCount();
    phase_ = EditPhase::Idle;

    const int lastColumn = std::max(array_->ColumnCount(), columns) - 1;
    int target = row;
    if (isNew || row >= array_->RowCount()) {
        target = array_->RowCount();
        array_->Resize(target, lastColumn);
    } else if (array_->ColumnCount() < columns) {
        array_->Resize(array_->HighestRow(), lastColumn);
    }
    for (int c = 0; c < columns; ++c) {
        array_->SetCell(target, c, pendingValues_[static_cast<std::size_t>(c)]);
    }

    if (target != row || (isNew && target != rows_)) {
        // The array changed shape behind the grid; show it as it is now.
        ResetRows();
        return;
    }
    if (isNew) {
        // The typed line becomes an array row, and a fresh empty line opens below it.
        // The pending values stay on show until the row count says the line is stored.
        beginInsertRows(QModelIndex(), rows_ + 1, rows_ + 1);
        ++rows_;
        ClearPending();
        endInsertRows();
    } else {
        ClearPending();
    }
    EmitRowChanged(row);
}

DeleteOutcome RowArrayModel::DeleteRow(int row, const std::function<bool()>& notify) {
    if (phase_ != EditPhase::Idle) {
        return DeleteOutcome::Busy;
    }
    if (readOnly_ || !array_ || row < 0 || row >= rows_) {
        return DeleteOutcome::NothingToDelete;
    }
    const unsigned long long generation = generation_;
    phase_ = EditPhase::Deleting;
    bool cancel = true;
    try {
        cancel = notify();
    } catch (...) {
        cancel = true;
    }
    phase_ = EditPhase::Idle;
    if (generation_ != generation) {
        return DeleteOutcome::Reread;
    }
    if (cancel) {
        return DeleteOutcome::Cancelled;
    }
    if (row >= array_->RowCount()) {
        ResetRows();
        return DeleteOutcome::Reread;
    }
    beginRemoveRows(QModelIndex(), row, row);
    array_->RemoveRow(row);
    --rows_;
    endRemoveRows();
    return DeleteOutcome::Removed;
}

int RowArrayModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !array_) {
        return 0;
    }
    return rows_ + 1;
}

int RowArrayModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    if (!captions_.isEmpty()) {
        return static_cast<int>(captions_.size());
    }
    return array_ ? array_->ColumnCount() : 0;
}

void RowArrayModel::SetWholeTextTips(int column, bool on) {
    if (on) {
        wholeTextTipColumns_.insert(column);
    } else {
        wholeTextTipColumns_.remove(column);
    }
}

void RowArrayModel::SetNoteSource(CellNoteSource source) {
    noteSource_ = std::move(source);
    NotesChanged();
}

std::optional<CellNote> RowArrayModel::NoteOf(int row, int column) const {
    // The new-row line has a note only once something is typed into it.
    if (row >= rows_ && row != pendingRow_) {
        return std::nullopt;
    }
    return NoteFor(row, column, CellText(row, column));
}

std::optional<CellNote> RowArrayModel::NoteFor(int row, int column, const QString& text) const {
    if (!noteSource_ || row < 0 || row > rows_ || column < 0 || column >= columnCount()) {
        return std::nullopt;
    }
    return noteSource_(row, column, text);
}

void RowArrayModel::NotesChanged() {
    const int columns = columnCount();
    if (rowCount() == 0 || columns == 0) {
        return;
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, columns - 1),
                     {Qt::BackgroundRole, Qt::ToolTipRole, NoteRole});
}

QVariant RowArrayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return CellText(index.row(), index.column());
        case Qt::BackgroundRole: {
            const std::optional<CellNote> note = NoteOf(index.row(), index.column());
            const bool pending = index.row() == pendingRow_;
            // The row being typed keeps its tint but for the cells that are doubtful.
            if (note && note->kind == CellNote::Kind::Doubtful) {
                return BackgroundOf(note->kind);
            }
            if (pending) {
                return kPendingRowBackground;
            }
            if (note) {
                return BackgroundOf(note->kind);
            }
            return {};
        }
        case Qt::ToolTipRole: {
            QString tip;
            if (const std::optional<CellNote> note = NoteOf(index.row(), index.column())) {
                tip = note->toolTip;
            }
            if (wholeTextTipColumns_.contains(index.column())) {
                const QString text = CellText(index.row(), index.column());
                if (!text.isEmpty()) {
                    tip = tip.isEmpty() ? text : tip + QStringLiteral("\n\n") + text;
                }
            }
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        case NoteRole:
            if (const std::optional<CellNote> note = NoteOf(index.row(), index.column())) {
                return static_cast<int>(note->kind);
            }
            return {};
        default:
            return {};
    }
}

bool RowArrayModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) {
        return false;
    }
    return SetCellText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags RowArrayModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return readOnly_ ? flags : flags | Qt::ItemIsEditable;
}

QVariant RowArrayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && section < captions_.size()) {
            return captions_.at(section);
        }
        return {};
    }
    const bool pending = section == pendingRow_;
    const bool newLine = array_ && section == rows_;
    if (role == Qt::DisplayRole) {
        if (pending) {
            // A pencil for typed values not yet stored; the star marks the new row.
            return newLine ? QStringLiteral("\u270E*") : QStringLiteral("\u270E");
        }
        return newLine ? QStringLiteral("*") : QString();
    }
    if (role == Qt::ToolTipRole) {
        if (pending) {
            return tr("Changed, not yet saved: leave the row to save it, Esc to undo");
        }
        if (newLine) {
            return tr("Type here to add a new row");
        }
    }
    return {};
}

}  // namespace grid

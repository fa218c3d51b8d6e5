// SPDX-License-Identifier: MIT
#include "platform/grid/DataGrid.h"

#include <algorithm>
#include <utility>

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtDebug>

#include "platform/grid/CaptionHeader.h"
#include "platform/grid/CellDelegate.h"
#include "platform/grid/CellLineEdit.h"
#include "platform/grid/DropDownList.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/grid/RowGuardSelectionModel.h"
#include "platform/grid/RowSelectorHeader.h"
#include "platform/grid/ValueMarks.h"

namespace grid {

namespace {

// Runs a notification that has no cancel flag; an exception from its handler stops
// here rather than unwinding through Qt's event delivery.
template <typename Notify>
void Shielded(Notify&& notify) {
    try {
        notify();
    } catch (...) {
        qWarning("DataGrid: a notification handler threw; the grid goes on");
    }
}

}  // namespace

DataGrid::DataGrid(int viewIndex, QWidget* parent)
    : QTableView(parent),
      viewIndex_(viewIndex),
      model_(new RowArrayModel(this)),
      delegate_(new CellDelegate(highlights_, this)),
      rowSelector_(new RowSelectorHeader(this)) {
    setVerticalHeader(rowSelector_);
    setHorizontalHeader(new CaptionHeader(this));
    setModel(model_);
    QItemSelectionModel* plain = selectionModel();
    guard_ = new RowGuardSelectionModel(model_, this);
    guard_->SetGuard([this] { return AllowRowChange(); });
    setSelectionModel(guard_);
    delete plain;
    setItemDelegate(delegate_);

    // Highlighting is the grid's own highlight list, painted by the delegate.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // A header click sorts (as the program decides); it never selects a column, which
    // would move the current cell and commit the row being typed.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { emit headerClicked(viewIndex_, column); });

    connect(delegate_, &CellDelegate::enterPressed, this, &DataGrid::AdvanceAfterEnter);
    connect(delegate_, &CellDelegate::typingStarted, this,
            [this](int row) { emit typingStarted(viewIndex_, row); });
    connect(delegate_, &CellDelegate::textRefused, this,
            [this](CellRefusal why) { emit textRefused(viewIndex_, why); });
    connect(rowSelector_, &RowSelectorHeader::rowClicked, this, &DataGrid::OnRowClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        // A width the user dragged replaces the one the program set.
        if (!applyingWidths_) {
            widthsTwips_.remove(column);
        }
    });
}

DataGrid::~DataGrid() {
    guard_->SetGuard({});
}

void DataGrid::SetColumnCaptions(const QStringList& captions) {
    DiscardOpenEditor();
    const int row = CurrentRow();
    const int column = Col();
    model_->SetCaptions(captions);
    ApplyColumnWidths();
    if (!currentIndex().isValid()) {
        MoveCurrentUnguarded(std::max(row, 0), std::max(column, 0));
    }
}

QStringList DataGrid::ColumnCaptions() const {
    return model_->Captions();
}

void DataGrid::Bind(std::shared_ptr<RowArray> rows) {
    DiscardOpenEditor();
    model_->Bind(std::move(rows));
    highlights_.Clear();
    highlightAnchor_ = -1;
    MoveCurrentUnguarded(0, 0);
}

bool DataGrid::BindKeepingPendingRow(std::shared_ptr<RowArray> rows, int pendingRow) {
    if (Busy()) {
        return false;
    }
    CloseCellEditor();
    const int column = std::max(Col(), 0);
    if (!model_->BindKeepingPendingRow(std::move(rows), pendingRow)) {
        return false;
    }
    highlights_.Clear();
    highlightAnchor_ = -1;
    MoveCurrentUnguarded(pendingRow, column);
    return true;
}

const std::shared_ptr<RowArray>& DataGrid::BoundArray() const {
    return model_->Array();
}

void DataGrid::ReBind() {
    DiscardOpenEditor();
    const int row = CurrentRow();
    const int column = Col();
    model_->Reread();
    highlights_.KeepBelow(model_->ArrayRows());
    MoveCurrentUnguarded(std::max(row, 0), std::max(column, 0));
}

void DataGrid::SetSortIndicator(int column, bool descending) {
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

int DataGrid::SortIndicatorColumn() const {
    const QHeaderView* header = horizontalHeader();
    return header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
}

void DataGrid::Refresh() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
}

int DataGrid::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void DataGrid::SetCol(int column) {
    if (column < 0 || column >= model_->columnCount()) {
        return;
    }
    int row = CurrentRow();
    if (row < 0) {
        if (model_->rowCount() == 0) {
            return;
        }
        row = 0;
    }
    setCurrentIndex(model_->index(row, column));
}

int DataGrid::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool DataGrid::SetCurrentRow(int row) {
    if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) {
        return false;
    }
    setCurrentIndex(model_->index(row, std::max(Col(), 0)));
    return CurrentRow() == row;
}

int DataGrid::NewRowLine() const {
    return model_->NewRowLine();
}

QString DataGrid::Text() const {
    return model_->CellText(CurrentRow(), Col());
}

bool DataGrid::SetText(const QString& text) {
    const QModelIndex current = currentIndex();
    if (Busy() || !current.isValid()) {
        return false;
    }
    DiscardOpenEditor();
    const CellRefusal why = RefusalOf(text);
    if (why != CellRefusal::None) {
        emit textRefused(viewIndex_, why);
        return false;
    }
    return model_->SetCellText(current.row(), current.column(), text);
}

EditPhase DataGrid::Phase() const {
    return model_->Phase();
}

bool DataGrid::HasPendingRow() const {
    return model_->HasPendingRow();
}

bool DataGrid::PendingRowIsNew() const {
    return model_->PendingRowIsNew();
}

bool DataGrid::Busy() const {
    const EditPhase phase = model_->Phase();
    return phase == EditPhase::Committing || phase == EditPhase::Deleting;
}

CommitOutcome DataGrid::CommitRow(CommitCause cause) {
    CommitOpenEditor();
    const int row = model_->PendingRow();
    if (model_->Phase() == EditPhase::Editing) {
        commitCause_ = cause;
    }
    const CommitOutcome outcome = model_->CommitPendingRow([this] {
        bool cancel = false;
        emit beforeSave(viewIndex_, &cancel);
        return cancel;
    });
    if (outcome == CommitOutcome::Stored) {
        Shielded([this] { emit afterSave(viewIndex_); });
    } else if (outcome == CommitOutcome::Cancelled && CurrentRow() != row) {
        MoveCurrentUnguarded(row, std::max(Col(), 0));
    }
    return outcome;
}

void DataGrid::CloseCellEditor() {
    if (!Busy()) {
        CommitOpenEditor();
    }
}

bool DataGrid::CancelRow() {
    if (Busy()) {
        return false;
    }
    const bool hadEditor = state() == QAbstractItemView::EditingState;
    DiscardOpenEditor();
    return model_->DropPendingRow() || hadEditor;
}

bool DataGrid::RevertPendingCell(int column) {
    return model_->RevertPendingCell(column);
}

int DataGrid::DeleteRows() {
    if (Busy() || highlights_.Count() == 0) {
        return 0;
    }
    DiscardOpenEditor();
    if (model_->HasPendingRow()) {
        model_->DropPendingRow();
    }
    QList<int> targets = highlights_.Rows();
    std::sort(targets.begin(), targets.end(), std::greater<>());
    const int column = std::max(Col(), 0);
    int removed = 0;
    for (const int row : targets) {
        if (row >= model_->ArrayRows()) {
            continue;
        }
        MoveCurrentUnguarded(row, column);
        const DeleteOutcome outcome = model_->DeleteRow(row, [this] {
            bool cancel = false;
            emit beforeDelete(viewIndex_, &cancel);
            return cancel;
        });
        if (outcome == DeleteOutcome::Removed) {
            ++removed;
            highlights_.RowRemoved(row);
            // The row that moved up into the removed one's place becomes current.
            MoveCurrentUnguarded(row, column);
            Shielded([this] { emit afterDelete(viewIndex_); });
        } else if (outcome == DeleteOutcome::Reread || outcome == DeleteOutcome::Busy) {
            break;
        }
    }
    viewport()->update();
    return removed;
}

bool DataGrid::ClearCell() {
    if (Busy() || !currentIndex().isValid()) {
        return false;
    }
    return SetText(QString());
}

void DataGrid::SetHighlightedRows(const QList<int>& rows) {
    highlights_.Clear();
    for (const int row : rows) {
        if (row >= 0 && row < model_->ArrayRows()) {
            highlights_.Add(row);
        }
    }
    viewport()->update();
}

double DataGrid::WidthTwips() const {
    return width() * kTwipsPerPixel;
}

void DataGrid::SetColumnWidthTwips(int column, double twips) {
    if (column < 0 || column >= model_->columnCount()) {
        return;
    }
    widthsTwips_.insert(column, std::max(0.0, twips));
    ApplyColumnWidths();
}

double DataGrid::ColumnWidthTwips(int column) const {
    const auto stored = widthsTwips_.constFind(column);
    return stored != widthsTwips_.cend() ? *stored : columnWidth(column) * kTwipsPerPixel;
}

void DataGrid::ApplyColumnWidths() {
    applyingWidths_ = true;
    double edge = 0;
    int previousPixel = 0;
    for (int column = 0; column < model_->columnCount(); ++column) {
        edge += ColumnWidthTwips(column) / kTwipsPerPixel;
        const int pixel = qRound(edge);
        const int width = std::max(0, pixel - previousPixel);
        if (columnWidth(column) != width) {
            horizontalHeader()->resizeSection(column, width);
        }
        previousPixel = pixel;
    }
    applyingWidths_ = false;
}

void DataGrid::SetDropDown(int column, DropDownList* list) {
    DiscardOpenEditor();
    delegate_->SetDropDown(column, list);
}

DropDownList* DataGrid::DropDown(int column) const {
    return delegate_->DropDown(column);
}

bool DataGrid::AllowRowChange() {
    // The open editor's text belongs to the row being left.
    CommitOpenEditor();
    switch (model_->Phase()) {
        case EditPhase::Idle:
            return true;
        case EditPhase::Editing: {
            const CommitOutcome outcome = CommitRow(CommitCause::LeavingRow);
            return outcome == CommitOutcome::Stored || outcome == CommitOutcome::Reread;
        }
        case EditPhase::Committing:
        case EditPhase::Deleting:
            break;
    }
    return false;
}

void DataGrid::CommitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = delegate_->OpenEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    emit editorClosed(viewIndex_);
}

void DataGrid::DiscardOpenEditor() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = delegate_->OpenEditor()) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

void DataGrid::AdvanceAfterEnter() {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || Busy()) {
        return;
    }
    const int lastColumn = model_->columnCount() - 1;
    if (current.column() < lastColumn) {
        setCurrentIndex(model_->index(current.row(), current.column() + 1));
        return;
    }
    if (current.row() + 1 < model_->rowCount()) {
        setCurrentIndex(model_->index(current.row() + 1, 0));
        return;
    }
    // The last line is the new row being typed: store it, then start the fresh empty
    // line below it.
    const CommitOutcome outcome = CommitRow(CommitCause::LeavingRow);
    if (outcome != CommitOutcome::Cancelled && outcome != CommitOutcome::Busy) {
        MoveCurrentUnguarded(model_->NewRowLine(), 0);
    }
}

void DataGrid::WantLargerEditor() {
    if (Busy() || !currentIndex().isValid()) {
        return;
    }
    CommitOpenEditor();
    emit largerEditorWanted(viewIndex_);
}

void DataGrid::TypeMark(QChar mark) {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !edit(current, QAbstractItemView::AllEditTriggers, nullptr)) {
        return;
    }
    QWidget* editor = delegate_->OpenEditor();
    auto* line = qobject_cast<CellLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        line = qobject_cast<CellLineEdit*>(combo->lineEdit());
    }
    if (line) {
        line->end(false);
        line->InsertMark(mark);
    }
}

void DataGrid::MoveCurrentUnguarded(int row, int column) {
    const int rows = model_->rowCount();
    const int columns = model_->columnCount();
    if (rows == 0 || columns == 0) {
        guard_->SetCurrentIndexUnguarded(QModelIndex());
        return;
    }
    const QModelIndex target =
        model_->index(std::clamp(row, 0, rows - 1), std::clamp(column, 0, columns - 1));
    guard_->SetCurrentIndexUnguarded(target);
    scrollTo(target);
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (Busy()) {
        return false;
    }
    // Only the current row is edited: a double click on a row that could not become
    // current (its predecessor's commit was cancelled) opens nothing.
    const QModelIndex current = currentIndex();
    if (index.isValid() && current.isValid() && index.row() != current.row()) {
        return false;
    }
    return QTableView::edit(index, trigger, event);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    // Shift+F2 also reaches here from an open cell editor, which does not take it.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::ShiftModifier) {
        WantLargerEditor();
        event->accept();
        return;
    }
    if (state() == QAbstractItemView::EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (Busy()) {
        event->accept();
        return;
    }
    if (HighlightByKey(*event)) {
        event->accept();
        return;
    }
    const QChar mark = MarkForKey(*event);
    if (!mark.isNull()) {
        TypeMark(mark);
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Escape:
            if (CancelRow()) {
                event->accept();
            } else {
                event->ignore();
            }
            return;
        case Qt::Key_Delete:
            // Rows go only when the user highlighted them; in a cell, Delete empties
            // the cell, as in a spreadsheet, and leaving the row asks before saving.
            if (highlights_.Count() > 0) {
                DeleteRows();
            } else {
                ClearCell();
            }
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            AdvanceAfterEnter();
            event->accept();
            return;
        default:
            QTableView::keyPressEvent(event);
    }
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    if (Busy()) {
        event->accept();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    const bool plainClick = event->button() == Qt::LeftButton &&
                            !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    if (plainClick && target.isValid() && CurrentRow() == target.row() && highlights_.Count() > 0) {
        highlights_.Clear();
        viewport()->update();
    }
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (Busy()) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (Busy()) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    const int row = current.isValid() ? current.row() : -1;
    delegate_->SetCurrentRow(row);
    rowSelector_->SetCurrentRow(row);
    if (current.row() != previous.row()) {
        viewport()->update();
        emit currentRowChanged(viewIndex_, row);
    }
}

}  // namespace grid

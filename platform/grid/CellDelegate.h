// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QPointer>
#include <QStyledItemDelegate>

#include "platform/grid/ValueMarks.h"

namespace grid {

class DropDownList;
class HighlightList;

// Paints and edits the cells of a DataGrid.
// Painting: highlighted rows as selected, the current row tinted, and the value,
// subvalue and text marks as small coloured boxes ("VM", "SM", "TM") so they are never
// mistaken for letters; a cell with a note gets a small triangle in its corner, seen
// even on a highlighted row. Editing: a CellLineEdit, or an editable combo box for a column
// with a drop-down list. Enter commits the cell and closes the editor, then tells the
// grid (enterPressed) so it can move on.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CellDelegate(const HighlightList& highlights, QObject* parent);

    void SetCurrentRow(int row) { currentRow_ = row; }
    void SetDropDown(int column, DropDownList* list);
    DropDownList* DropDown(int column) const;
    // The editor open now, or null.
    QWidget* OpenEditor() const { return openEditor_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // Tool tips as CellToolTip gives them, shown as plain text.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

signals:
    void enterPressed();
    // An editor refused a keystroke or paste.
    void textRefused(grid::CellRefusal why);
    // The user changed the text of the editor opened on `row` for the first time.
    void typingStarted(int row);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private slots:
    void CommitAndCloseSender();

private:
    QWidget* CreateDropDownEditor(QWidget* parent, const DropDownList& list) const;
    void CommitAndClose(QWidget* editor);

    const HighlightList& highlights_;
    int currentRow_ = -1;
    QHash<int, QPointer<DropDownList>> dropDowns_;
    // createEditor is const in the interface; which editor is open is the delegate's
    // own bookkeeping, not part of its painting state.
    mutable QPointer<QWidget> openEditor_;
};

}  // namespace grid

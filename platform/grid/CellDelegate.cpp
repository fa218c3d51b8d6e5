// SPDX-License-Identifier: MIT
#include "platform/grid/CellDelegate.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>
#include <QTextDocument>
#include <QToolTip>

#include "platform/grid/CellLineEdit.h"
#include "platform/grid/CellNote.h"
#include "platform/grid/CellToolTip.h"
#include "platform/grid/DropDownList.h"
#include "platform/grid/HighlightList.h"
#include "platform/grid/MarkPainter.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/grid/ValueMarks.h"

namespace grid {

namespace {

// A light tint of the highlight colour, so the current row stands out without looking
// highlighted.
QBrush CurrentRowBrush(const QPalette& palette) {
    QColor tint = palette.color(QPalette::Highlight);
    tint.setAlpha(40);
    return tint;
}

// The corner triangle of a cell with a note, in a colour that tells its kind.
void PaintNoteCorner(QPainter& painter, const QRect& cell, const QVariant& kind) {
    if (!kind.isValid()) {
        return;
    }
    const bool broken = kind.toInt() == static_cast<int>(CellNote::Kind::Broken);
    const int side = std::min({7, cell.width() / 2, cell.height() / 2});
    const QPoint corner = cell.topRight();
    const QPoint triangle[] = {corner, corner - QPoint(side, 0), corner + QPoint(0, side)};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(broken ? QColor(200, 0, 0) : QColor(225, 120, 0));
    painter.drawPolygon(triangle, 3);
    painter.restore();
}

// An open editor shows the note of the text it holds, tinted and as its tool tip, key by
// key: the cell takes the text only when the editor closes.
void FollowNotesWhileTyping(QLineEdit& line, const QModelIndex& index) {
    const auto* model = qobject_cast<const RowArrayModel*>(index.model());
    if (model == nullptr) {
        return;
    }
    const QPersistentModelIndex cell(index);
    const QPalette plain = line.palette();
    QObject::connect(
        &line, &QLineEdit::textChanged, &line, [&line, model, cell, plain](const QString& text) {
            const std::optional<CellNote> note =
                cell.isValid() ? model->NoteFor(cell.row(), cell.column(), text) : std::nullopt;
            QPalette palette = plain;
            if (note) {
                palette.setColor(QPalette::Base, BackgroundOf(note->kind));
            }
            line.setPalette(palette);
            line.setToolTip(note ? note->toolTip : QString());
        });
}

}  // namespace

CellDelegate::CellDelegate(const HighlightList& highlights, QObject* parent)
    : QStyledItemDelegate(parent), highlights_(highlights) {}

void CellDelegate::SetDropDown(int column, DropDownList* list) {
    if (list) {
        dropDowns_.insert(column, list);
    } else {
        dropDowns_.remove(column);
    }
}

DropDownList* CellDelegate::DropDown(int column) const {
    return dropDowns_.value(column);
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int row = index.row();
    if (highlights_.Contains(row)) {
        opt.state |= QStyle::State_Selected;
    } else {
        opt.state &= ~QStyle::State_Selected;
        if (row == currentRow_ && opt.backgroundBrush.style() == Qt::NoBrush) {
            opt.backgroundBrush = CurrentRowBrush(opt.palette);
        }
    }
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QVariant noteKind = index.data(RowArrayModel::NoteRole);
    if (!ContainsMark(opt.text)) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        PaintNoteCorner(*painter, opt.rect, noteKind);
        return;
    }
    const QString text = opt.text;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const QPalette::ColorGroup group =
        (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QColor textColor = opt.palette.color(
        group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
    PaintTextWithMarks(*painter, textRect, text, opt.font, textColor);
    PaintNoteCorner(*painter, opt.rect, noteKind);
}

bool CellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
    const auto* table = qobject_cast<const QTableView*>(view);
    if (event == nullptr || table == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QString tip = CellToolTip(*table, index);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    // Cell texts are the account's bytes: never taken for markup.
    QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal),
                       view, option.rect);
    return true;
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                    const QModelIndex& index) const {
    QWidget* editor = nullptr;
    if (const DropDownList* list = DropDown(index.column())) {
        editor = CreateDropDownEditor(parent, *list);
    } else {
        editor = new CellLineEdit(parent);
    }
    QLineEdit* line = qobject_cast<QLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        line = combo->lineEdit();
    }
    if (auto* cell = qobject_cast<CellLineEdit*>(line)) {
        connect(cell, &CellLineEdit::textRefused, this, &CellDelegate::textRefused);
    }
    if (line != nullptr) {
        FollowNotesWhileTyping(*line, index);
        // The first keystroke is the moment the user starts to change the row, long before
        // the editor closes and the pending row takes the text.
        // (createEditor is const in the interface; telling of the typing changes nothing
        // the delegate paints with.)
        auto* self = const_cast<CellDelegate*>(this);
        const int row = index.row();
        connect(
            line, &QLineEdit::textEdited, self, [self, row] { emit self->typingStarted(row); },
            Qt::SingleShotConnection);
    }
    openEditor_ = editor;
    return editor;
}

QWidget* CellDelegate::CreateDropDownEditor(QWidget* parent, const DropDownList& list) const {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setLineEdit(new CellLineEdit(combo));
    // No completion and no insertion: the cell takes exactly what was typed or picked.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    const QStringList entries = list.Entries();
    combo->setMaxVisibleItems(static_cast<int>(std::max<qsizetype>(entries.size(), 10)));
    combo->addItems(entries);
    combo->setCurrentIndex(-1);  // the cell's own text comes with setEditorData
    // Picking an entry from the list ends the edit of the cell at once.
    connect(combo, &QComboBox::activated, this, &CellDelegate::CommitAndCloseSender);
    return combo;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentText() != text) {
            combo->setEditText(text);
            // As in every other cell, the key that opened the editor replaces the text;
            // F2 or a click on the text puts the caret in it.
            combo->lineEdit()->selectAll();
        }
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (line->text() != text) {
            line->setText(text);
        }
    }
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        model->setData(index, line->text(), Qt::EditRole);
    }
}

void CellDelegate::CommitAndCloseSender() {
    if (auto* editor = qobject_cast<QWidget*>(sender())) {
        CommitAndClose(editor);
    }
}

void CellDelegate::CommitAndClose(QWidget* editor) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (auto* editor = qobject_cast<QWidget*>(object)) {
                CommitAndClose(editor);
                emit enterPressed();
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "platform/grid/CellLineEdit.h"

#include <limits>

#include <QKeyEvent>

#include "platform/grid/ValueMarks.h"

namespace grid {

QValidator::State CellTextValidator::validate(QString& input, int& /*pos*/) const {
    const CellRefusal why = RefusalOf(input);
    if (why == CellRefusal::None) {
        return Acceptable;
    }
    if (refused_) {
        refused_(why);
    }
    return Invalid;
}

CellLineEdit::CellLineEdit(QWidget* parent) : QLineEdit(parent) {
    // The default limit of 32767 characters would cut a long cell short.
    setMaxLength(std::numeric_limits<int>::max());
    setFrame(false);
    setValidator(new CellTextValidator([this](CellRefusal why) { emit textRefused(why); }, this));
}

void CellLineEdit::InsertMark(QChar mark) {
    insert(QString(mark));
}

bool CellLineEdit::event(QEvent* event) {
    // Claim the mark keys before any shortcut of the window can take them.
    if (event->type() == QEvent::ShortcutOverride &&
        !MarkForKey(*static_cast<QKeyEvent*>(event)).isNull()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void CellLineEdit::keyPressEvent(QKeyEvent* event) {
    const QChar mark = MarkForKey(*event);
    if (!mark.isNull()) {
        InsertMark(mark);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter belongs to the grid, which commits the cell; inside a drop-down it
        // must not make the combo box swap the typed text for a list entry.
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "app/FindBox.h"

#include <QKeyEvent>

namespace app {

FindBox::FindBox(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Shows only the rows whose item id or any cell holds this text"));
}

void FindBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace app

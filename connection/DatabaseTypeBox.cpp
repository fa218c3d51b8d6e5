// SPDX-License-Identifier: MIT
#include "connection/DatabaseTypeBox.h"

#include <QComboBox>

namespace DatabaseTypeBox {

void Prepare(QComboBox& box) {
    box.setEditable(true);
    box.setInsertPolicy(QComboBox::NoInsert);
    // Without a completer the box matches its items case-sensitively, so Enter after
    // "universe" keeps the lower case instead of switching to the item "UniVerse".
    box.setCompleter(nullptr);
}

void AddItems(QComboBox& box) {
    box.addItem(QStringLiteral("UniVerse"));
    box.addItem(QStringLiteral("UniData"));
}

void SetText(QComboBox& box, const QString& text) {
    const int index = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box.setCurrentIndex(index);
    if (index < 0) {
        box.setEditText(text);
    }
}

}  // namespace DatabaseTypeBox

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QComboBox;

// The database-type box of the login and setup dialogs: a list of the two known types
// that also takes any typed text, kept exactly as typed.
namespace DatabaseTypeBox {

// Editable; typed text never becomes a list item and is never completed or re-cased
// to match one.
void Prepare(QComboBox& box);
// "UniVerse", then "UniData".
void AddItems(QComboBox& box);
// Shows text; an item is selected only when text is exactly that item, so empty or
// other text leaves no item selected.
void SetText(QComboBox& box, const QString& text);

}  // namespace DatabaseTypeBox

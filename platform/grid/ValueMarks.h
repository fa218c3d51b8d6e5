// SPDX-License-Identifier: MIT
#pragma once

#include <QChar>
#include <QString>

class QKeyEvent;

namespace grid {

// Cells hold the engine's bytes as Latin-1 characters, so the multivalue delimiters
// inside a field are these three characters. The grid paints each as a small coloured
// box ("VM", "SM", "TM") and never changes them.
//
// Typing them in a cell editor:
//   Ctrl+]  value mark     (U+00FD)
//   Ctrl+\  subvalue mark  (U+00FC)
//   Ctrl+^  text mark      (U+00FB; Ctrl+Shift+6 on most keyboards)
// These are the control codes 0x1D, 0x1C and 0x1E that terminals send for the same keys.
inline constexpr QChar kValueMark{0x00FD};
inline constexpr QChar kSubvalueMark{0x00FC};
inline constexpr QChar kTextMark{0x00FB};

inline bool IsMark(QChar c) {
    return c == kValueMark || c == kSubvalueMark || c == kTextMark;
}

inline bool ContainsMark(const QString& text) {
    for (const QChar c : text) {
        if (IsMark(c)) {
            return true;
        }
    }
    return false;
}

// The field mark separates the fields of a record. A cell is one field: a field mark
// typed into it would split the item's fields on saving and shift every later one.
inline constexpr QChar kFieldMark{0x00FE};

// Why a cell refuses a text.
enum class CellRefusal {
    None,
    NotOneByte,  // a character above U+00FF, which no byte of the engine can hold
    FieldMark,   // the field mark
};

inline CellRefusal RefusalOf(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return CellRefusal::NotOneByte;
        }
        if (c == kFieldMark) {
            return CellRefusal::FieldMark;
        }
    }
    return CellRefusal::None;
}

// The label the grid paints on a mark's box: "VM", "SM" or "TM".
QString MarkLabel(QChar mark);

// The text with each mark written as its label in brackets ("1[VM]2"), for places that
// show a cell's text as plain text, where no box can be painted.
QString WithMarkLabels(const QString& text);

// The mark a key press types, or a null QChar when the key types none.
QChar MarkForKey(const QKeyEvent& event);

}  // namespace grid

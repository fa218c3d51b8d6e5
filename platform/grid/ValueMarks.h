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

// A cell can only hold characters that are one byte to the engine.
inline bool IsLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

// The mark a key press types, or a null QChar when the key types none.
QChar MarkForKey(const QKeyEvent& event);

}  // namespace grid

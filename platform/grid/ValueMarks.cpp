// SPDX-License-Identifier: MIT
#include "platform/grid/ValueMarks.h"

#include <QKeyEvent>

namespace grid {

QString MarkLabel(QChar mark) {
    if (mark == kValueMark) {
        return QStringLiteral("VM");
    }
    if (mark == kSubvalueMark) {
        return QStringLiteral("SM");
    }
    return QStringLiteral("TM");
}

QString WithMarkLabels(const QString& text) {
    if (!ContainsMark(text)) {
        return text;
    }
    QString shown;
    shown.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (IsMark(c)) {
            shown += QLatin1Char('[') + MarkLabel(c) + QLatin1Char(']');
        } else {
            shown += c;
        }
    }
    return shown;
}

QChar MarkForKey(const QKeyEvent& event) {
    if (!(event.modifiers() & Qt::ControlModifier)) {
        return {};
    }
    // Match the key code and, for layouts where the symbol sits elsewhere, the control
    // code the platform reports as the event's text.
    const QString text = event.text();
    const QChar code = text.size() == 1 ? text.at(0) : QChar();
    switch (event.key()) {
        case Qt::Key_BracketRight:
            return kValueMark;
        case Qt::Key_Backslash:
            return kSubvalueMark;
        case Qt::Key_AsciiCircum:
            return kTextMark;
        case Qt::Key_6:
            if (event.modifiers() & Qt::ShiftModifier) {
                return kTextMark;
            }
            break;
        default:
            break;
    }
    if (code == QChar(0x1D)) {
        return kValueMark;
    }
    if (code == QChar(0x1C)) {
        return kSubvalueMark;
    }
    if (code == QChar(0x1E)) {
        return kTextMark;
    }
    return {};
}

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "connection/MaskCharacterStyle.h"

#include <QApplication>
#include <QLineEdit>

MaskCharacterStyle::MaskCharacterStyle(QChar mask)
    : QProxyStyle(QApplication::style()->name()), mask_(mask) {}

void MaskCharacterStyle::Apply(QLineEdit& box, QChar mask) {
    auto* style = new MaskCharacterStyle(mask);
    style->setParent(&box);
    box.setStyle(style);
    box.setEchoMode(QLineEdit::Password);
}

int MaskCharacterStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                  QStyleHintReturn* returnData) const {
    if (hint == SH_LineEdit_PasswordCharacter) {
        return mask_.unicode();
    }
    // Some styles show the last typed character for a moment; the mask hides it at once.
    if (hint == SH_LineEdit_PasswordMaskDelay) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

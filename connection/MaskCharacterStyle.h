// SPDX-License-Identifier: MIT
#pragma once

#include <QChar>
#include <QProxyStyle>

class QLineEdit;

// A password box that shows a chosen character for every character typed. QLineEdit
// takes its mask character from the style, so the box gets a style of its own that
// answers with that character and otherwise draws like the application's style.
class MaskCharacterStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit MaskCharacterStyle(QChar mask);

    // Puts the box into password mode with the given mask; the style belongs to the box.
    static void Apply(QLineEdit& box, QChar mask);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

private:
    QChar mask_;
};

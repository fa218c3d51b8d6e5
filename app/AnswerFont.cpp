// SPDX-License-Identifier: MIT
#include "app/AnswerFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace app {

bool HasEqualAdvances(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QLatin1Char('x'));
    for (const QChar c : QStringLiteral("W.i^ M|1")) {
        if (metrics.horizontalAdvance(c) != width) {
            return false;
        }
    }
    return width > 0;
}

QFont AnswerFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (HasEqualAdvances(font)) {
        return font;
    }
    // The font database's fixed-pitch flag is not to be trusted either way (it misses
    // some monospaced families): measure instead.
    for (const QString& family : QFontDatabase::families()) {
        QFont candidate(family, font.pointSize());
        candidate.setStyleHint(QFont::TypeWriter);
        if (HasEqualAdvances(candidate)) {
            return candidate;
        }
    }
    return font;
}

}  // namespace app

// SPDX-License-Identifier: MIT
#include "platform/grid/MarkPainter.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include "platform/grid/ValueMarks.h"

namespace grid {

namespace {

QFont MarkFont(const QFont& font) {
    QFont small = font;
    if (font.pointSizeF() > 0) {
        small.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.7));
    } else {
        small.setPixelSize(std::max(8, font.pixelSize() * 7 / 10));
    }
    small.setBold(true);
    return small;
}

}  // namespace

QColor MarkColour(QChar mark) {
    if (mark == kValueMark) {
        return {0, 121, 140};
    }
    if (mark == kSubvalueMark) {
        return {123, 31, 162};
    }
    return {211, 84, 0};
}

void PaintTextWithMarks(QPainter& painter, const QRect& rect, const QString& text,
                        const QFont& font, const QColor& textColor) {
    painter.save();
    painter.setClipRect(rect);
    const QFontMetrics metrics(font);
    const QFont markFont = MarkFont(font);
    const QFontMetrics markMetrics(markFont);
    const int baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
    const int boxHeight = std::min(rect.height(), markMetrics.height() + 2);
    const int boxTop = rect.top() + (rect.height() - boxHeight) / 2;

    int x = rect.left();
    qsizetype runStart = 0;
    const auto drawRun = [&](qsizetype end) {
        if (end > runStart) {
            const QString run = text.mid(runStart, end - runStart);
            painter.setFont(font);
            painter.setPen(textColor);
            painter.drawText(x, baseline, run);
            x += metrics.horizontalAdvance(run);
        }
    };
    for (qsizetype i = 0; i < text.size() && x <= rect.right(); ++i) {
        const QChar c = text.at(i);
        if (!IsMark(c)) {
            continue;
        }
        drawRun(i);
        runStart = i + 1;
        const QString label = MarkLabel(c);
        const QRect box(x + 1, boxTop, markMetrics.horizontalAdvance(label) + 4, boxHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(MarkColour(c));
        painter.drawRoundedRect(box, 2, 2);
        painter.setFont(markFont);
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, label);
        x = box.right() + 2;
    }
    if (x <= rect.right()) {
        drawRun(text.size());
    }
    painter.restore();
}

}  // namespace grid

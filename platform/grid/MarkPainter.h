// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRect;

namespace grid {

// Draws a cell's text left to right, each value, subvalue and text mark as a small
// coloured box labelled "VM", "SM" or "TM". Text past the rectangle is clipped.
void PaintTextWithMarks(QPainter& painter, const QRect& rect, const QString& text,
                        const QFont& font, const QColor& textColor);

// The fill colour of a mark's box.
QColor MarkColour(QChar mark);

}  // namespace grid

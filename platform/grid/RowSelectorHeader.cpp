// SPDX-License-Identifier: MIT
#include "platform/grid/RowSelectorHeader.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace grid {

RowSelectorHeader::RowSelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    // Fixed heights keep 100,000 rows cheap to lay out and scroll.
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultSectionSize(fontMetrics().height() + 6);
    setDefaultAlignment(Qt::AlignCenter);
}

void RowSelectorHeader::SetCurrentRow(int row) {
    if (row == currentRow_) {
        return;
    }
    const int old = currentRow_;
    currentRow_ = row;
    if (old >= 0) {
        updateSection(old);
    }
    if (row >= 0) {
        updateSection(row);
    }
}

QSize RowSelectorHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("\u270E*")) + 16);
    return size;
}

void RowSelectorHeader::mousePressEvent(QMouseEvent* event) {
    const int row = logicalIndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0) {
        emit rowClicked(row, event->modifiers());
    }
    event->accept();
}

void RowSelectorHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void RowSelectorHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != currentRow_ || !model() ||
        !model()->headerData(logicalIndex, Qt::Vertical).toString().isEmpty()) {
        return;
    }
    // The current row's selector shows a triangle pointing at the row.
    const int h = std::max(4, rect.height() / 3);
    const QPoint centre = rect.center();
    const QPolygon triangle({QPoint(centre.x() - h / 2, centre.y() - h),
                             QPoint(centre.x() - h / 2, centre.y() + h),
                             QPoint(centre.x() + h / 2 + 1, centre.y())});
    painter->save();
    // The style may leave a clip of its own behind after drawing the section.
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::WindowText));
    painter->drawPolygon(triangle);
    painter->restore();
}

}  // namespace grid

// SPDX-License-Identifier: MIT
#include "platform/grid/CaptionHeader.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace grid {

CaptionHeader::CaptionHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    // The lines are fitted here, each elided on its own.
    setTextElideMode(Qt::ElideNone);
    connect(this, &QHeaderView::sectionResized, this, [this] { updateGeometry(); });
}

int CaptionHeader::CaptionWidth(int section) const {
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    QHeaderView::initStyleOptionForIndex(&option, section);
    option.rect = QRect(0, 0, sectionSize(section), height());
    // A line is drawn centred on the label, so it may also take the margins beside it but
    // a pixel at each edge of the section.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    return std::min(sectionSize(section) - 2,
                    style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).width() +
                        2 * std::max(0, margin - 1));
}

QStringList CaptionHeader::CaptionLines(int section, bool* cut) const {
    const QString caption =
        model() != nullptr ? model()->headerData(section, orientation()).toString() : QString();
    const QFontMetrics metrics(font());
    const int width = std::max(0, CaptionWidth(section));
    const QStringList words = caption.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList lines;
    QString line;
    qsizetype next = 0;
    for (; next < words.size(); ++next) {
        const QString longer = line.isEmpty() ? words[next] : line + QLatin1Char(' ') + words[next];
        if (line.isEmpty() || metrics.elidedText(longer, Qt::ElideRight, width) == longer) {
            line = longer;
        } else if (lines.size() + 1 < kMaxLines) {
            lines << line;
            line = words[next];
        } else {
            break;  // the last line takes the rest of the caption
        }
    }
    if (next < words.size()) {
        line += QLatin1Char(' ') + words.mid(next).join(QLatin1Char(' '));
    }
    lines << line;
    bool anyCut = false;
    for (QString& each : lines) {
        const QString elided = metrics.elidedText(each, Qt::ElideRight, width);
        anyCut = anyCut || elided != each;
        each = elided;
    }
    if (cut != nullptr) {
        *cut = anyCut;
    }
    return lines;
}

QString CaptionHeader::CaptionToolTip(int section) const {
    bool cut = false;
    CaptionLines(section, &cut);
    return cut && model() != nullptr ? model()->headerData(section, orientation()).toString()
                                     : QString();
}

QSize CaptionHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    qsizetype lines = 1;
    for (int section = 0; section < count(); ++section) {
        if (!isSectionHidden(section)) {
            lines = std::max(lines, CaptionLines(section).size());
        }
    }
    size.setHeight(size.height() +
                   static_cast<int>(lines - 1) * QFontMetrics(font()).lineSpacing());
    return size;
}

void CaptionHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = CaptionLines(logicalIndex).join(QLatin1Char('\n'));
}

bool CaptionHeader::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int section = logicalIndexAt(help->pos());
        const QString tip = section >= 0 ? CaptionToolTip(section) : QString();
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, viewport());
            return true;
        }
    }
    return QHeaderView::viewportEvent(event);
}

}  // namespace grid

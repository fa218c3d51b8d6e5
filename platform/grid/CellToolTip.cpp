// SPDX-License-Identifier: MIT
#include "platform/grid/CellToolTip.h"

#include <QStyle>
#include <QTableView>

namespace grid {

namespace {

// True when the column shows the whole text, as one line in the view's font.
bool Fits(const QTableView& view, int column, const QString& text) {
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const int room = view.columnWidth(column) - 2 * margin;
    return view.fontMetrics().horizontalAdvance(text) <= room;
}

}  // namespace

QString CellToolTip(const QTableView& view, const QModelIndex& index) {
    if (!index.isValid()) {
        return {};
    }
    // The model's own tip: the note, or the whole text of a column that always shows it.
    const QString tip = index.data(Qt::ToolTipRole).toString();
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty() || tip.endsWith(text) || Fits(view, index.column(), text)) {
        return tip;
    }
    return tip.isEmpty() ? text : tip + QStringLiteral("\n\n") + text;
}

}  // namespace grid

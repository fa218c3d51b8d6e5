// SPDX-License-Identifier: MIT
#pragma once

#include <QHeaderView>
#include <QStringList>

namespace grid {

// The column header of a DataGrid. A caption too wide for its column wraps onto a second
// line at its spaces, so the columns keep their widths and the caption is still read
// whole; the header is two lines high only while a caption needs them. What does not fit
// even then ends in an ellipsis, and the column's tool tip shows the whole caption.
class CaptionHeader : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 2;

    explicit CaptionHeader(QWidget* parent = nullptr);

    // The caption of a column as the header draws it, line by line; *cut tells whether
    // part of it was left out.
    QStringList CaptionLines(int section, bool* cut = nullptr) const;
    // The width a line of a column's caption may take.
    int CaptionWidth(int section) const;
    // The whole caption where the header cuts it, else empty.
    QString CaptionToolTip(int section) const;

    QSize sizeHint() const override;

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override;
};

}  // namespace grid

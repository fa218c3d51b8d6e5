// SPDX-License-Identifier: MIT
#pragma once

#include <QHeaderView>

namespace grid {

// The row selector at the left of a DataGrid: shows the model's row marks (pencil for
// a pending row, star for the new-row line), a triangle at the current row, and turns
// a click into rowClicked with the keyboard modifiers. It does not select on its own:
// the grid keeps the highlight list.
class RowSelectorHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit RowSelectorHeader(QWidget* parent = nullptr);

    void SetCurrentRow(int row);
    QSize sizeHint() const override;

signals:
    void rowClicked(int row, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int currentRow_ = -1;
};

}  // namespace grid

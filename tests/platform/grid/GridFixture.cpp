// SPDX-License-Identifier: MIT
#include "tests/platform/grid/GridFixture.h"

#include <QVBoxLayout>

std::shared_ptr<grid::RowArray> GridFixture::MakeArray(int rows, int columns) {
    auto array = std::make_shared<grid::RowArray>(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            array->SetCell(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
        }
    }
    return array;
}

void GridFixture::SetUp() {
    grid_ = new grid::DataGrid(2, &window_);
    grid_->setObjectName(QStringLiteral("TDBGrid1_2"));
    auto* layout = new QVBoxLayout(&window_);
    layout->addWidget(grid_);
    window_.resize(600, 400);
    grid_->SetColumnCaptions({"Dict Item", "Type", "Conv"});
    rows_ = MakeArray(3);
    grid_->Bind(rows_);

    const auto record = [this](Notice::Kind kind, int view) {
        notices_.push_back({kind, view, grid_->CurrentRow(), rows_->RowCount()});
    };
    QObject::connect(grid_, &grid::DataGrid::beforeSave, grid_, [=, this](int v, bool* cancel) {
        record(Notice::BeforeSave, v);
        if (onBeforeSave_) {
            onBeforeSave_(cancel);
        }
    });
    QObject::connect(grid_, &grid::DataGrid::afterSave, grid_,
                     [=](int v) { record(Notice::AfterSave, v); });
    QObject::connect(grid_, &grid::DataGrid::beforeDelete, grid_, [=, this](int v, bool* cancel) {
        record(Notice::BeforeDelete, v);
        if (onBeforeDelete_) {
            onBeforeDelete_(cancel);
        }
    });
    QObject::connect(grid_, &grid::DataGrid::afterDelete, grid_,
                     [=](int v) { record(Notice::AfterDelete, v); });

    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    grid_->setFocus();
}

void GridFixture::TearDown() {
    window_.hide();
}

void GridFixture::Type(const QString& text) {
    for (const QChar c : text) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid_;
        if (c.unicode() < 0x80) {
            QTest::keyClicks(target, QString(c));
        } else {
            // QTest only maps ASCII to keys; other characters come as the event's text.
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void GridFixture::Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid_;
    QTest::keyClick(target, key, modifiers);
}

void GridFixture::ClickCell(int row, int column, Qt::KeyboardModifiers modifiers) {
    const QRect cell = grid_->visualRect(grid_->model()->index(row, column));
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, modifiers, cell.center());
}

void GridFixture::ClickRowSelector(int row, Qt::KeyboardModifiers modifiers) {
    QHeaderView* header = grid_->verticalHeader();
    const QPoint at(header->width() / 2,
                    header->sectionViewportPosition(row) + header->sectionSize(row) / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

void GridFixture::GoTo(int row, int column) {
    ASSERT_TRUE(grid_->SetCurrentRow(row));
    grid_->SetCol(column);
    ASSERT_EQ(grid_->Col(), column);
}

int GridFixture::Count(Notice::Kind kind) const {
    int n = 0;
    for (const Notice& notice : notices_) {
        n += notice.kind == kind ? 1 : 0;
    }
    return n;
}

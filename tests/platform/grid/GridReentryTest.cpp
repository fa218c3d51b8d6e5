// SPDX-License-Identifier: MIT
#include <QFocusEvent>
#include <QMessageBox>
#include <QTimer>

#include "tests/platform/grid/GridFixture.h"

using grid::CommitOutcome;
using grid::EditPhase;

namespace {

// Handlers open real modal boxes. While one is open, everything a user (or a stray
// event) could throw at the grid is sent to it; none of it may act.
class GridReentryTest : public GridFixture {
protected:
    // Opens a modal box; while it runs, pokes the grid, then closes the box.
    void ShowBoxWhilePoking() {
        QMessageBox box(QMessageBox::Question, "Kelvora", "Save?",
                        QMessageBox::Yes | QMessageBox::No, &window_);
        QTimer::singleShot(0, &box, [&] {
            EXPECT_NE(QApplication::activeModalWidget(), nullptr);
            PokeGrid();
            QTimer::singleShot(0, &box, [&] { box.done(QMessageBox::Yes); });
        });
        box.exec();
        ++boxesShown_;
    }

    void PokeGrid() {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(grid_, &focusOut);
        QTest::keyClick(grid_, Qt::Key_Down);
        QTest::keyClick(grid_, Qt::Key_Escape);
        QTest::keyClick(grid_, Qt::Key_Delete);
        QTest::keyClick(grid_, Qt::Key_Return);
        QTest::keyClick(grid_, Qt::Key_BracketRight, Qt::ControlModifier);
        QTest::keyClicks(grid_, "zz");
        ClickCell(2, 2);
        QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {},
                           grid_->visualRect(grid_->model()->index(2, 1)).center());
        ClickRowSelector(2, Qt::ShiftModifier);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(grid_, &focusIn);
        QCoreApplication::postEvent(grid_,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
        EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Busy);
        EXPECT_FALSE(grid_->SetText("zz"));
        EXPECT_FALSE(grid_->CancelRow());
        EXPECT_EQ(grid_->DeleteRows(), 0);
        EXPECT_FALSE(grid_->SetCurrentRow(2));
    }

    int boxesShown_ = 0;
};

TEST_F(GridReentryTest, aModalBoxInTheSaveHandlerLetsNothingElseHappen) {
    GoTo(0, 1);
    onBeforeSave_ = [&](bool*) {
        EXPECT_EQ(grid_->Phase(), EditPhase::Committing);
        ShowBoxWhilePoking();
        EXPECT_EQ(grid_->Text(), "typed") << "the pending row survived the box";
        EXPECT_EQ(grid_->CurrentRow(), 0);
    };
    Type("typed");
    Press(Qt::Key_Down);

    EXPECT_EQ(boxesShown_, 1);
    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(Count(Notice::BeforeDelete), 0);
    ASSERT_EQ(rows_->RowCount(), 3);
    EXPECT_EQ(rows_->Cell(0, 1), "typed");
    EXPECT_EQ(rows_->Cell(2, 1), "r2c1");
    EXPECT_EQ(rows_->Cell(2, 2), "r2c2");
    EXPECT_EQ(grid_->CurrentRow(), 1) << "the Down that left the row";
    EXPECT_EQ(grid_->HighlightCount(), 0);
    EXPECT_EQ(grid_->Phase(), EditPhase::Idle);
    EXPECT_FALSE(grid_->HasPendingRow());
}

TEST_F(GridReentryTest, aBoxAfterARereadInTheHandlerStillKeepsTheGridQuiet) {
    GoTo(1, 1);
    onBeforeSave_ = [&](bool*) {
        grid_->ReBind();
        ShowBoxWhilePoking();
    };
    Type("typed");
    ClickCell(0, 0);

    EXPECT_EQ(boxesShown_, 1);
    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(rows_->Cell(1, 1), "r1c1");
    EXPECT_FALSE(grid_->HasPendingRow());
    EXPECT_EQ(rows_->RowCount(), 3);
}

TEST_F(GridReentryTest, aModalBoxInTheDeleteHandlerLetsNothingElseHappen) {
    ClickRowSelector(1);
    onBeforeDelete_ = [&](bool*) {
        EXPECT_EQ(grid_->Phase(), EditPhase::Deleting);
        ShowBoxWhilePoking();
    };
    Press(Qt::Key_Delete);

    EXPECT_EQ(boxesShown_, 1);
    EXPECT_EQ(Count(Notice::BeforeDelete), 1);
    EXPECT_EQ(Count(Notice::AfterDelete), 1);
    EXPECT_EQ(Count(Notice::BeforeSave), 0);
    ASSERT_EQ(rows_->RowCount(), 2);
    EXPECT_EQ(rows_->Cell(0, 0), "r0c0");
    EXPECT_EQ(rows_->Cell(1, 0), "r2c0");
    EXPECT_EQ(rows_->Cell(1, 1), "r2c1");
    EXPECT_FALSE(grid_->HasPendingRow());
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <stdexcept>

#include "platform/grid/RowArrayModel.h"
#include "tests/platform/grid/GridFixture.h"

using grid::CommitOutcome;
using grid::EditPhase;

namespace {

using GridCommitTest = GridFixture;

TEST_F(GridCommitTest, leavingAnEditedRowSendsOneNotificationAndStoresAfterIt) {
    GoTo(0, 1);
    QString seenText;
    QString arrayDuringHandler;
    onBeforeSave_ = [&](bool*) {
        seenText = grid_->Text();
        arrayDuringHandler = rows_->Cell(0, 1);
    };
    Type("typed");
    EXPECT_EQ(rows_->Cell(0, 1), "r0c1") << "typing must not reach the array";
    Press(Qt::Key_Down);

    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(notices_.front().viewIndex, 2);
    EXPECT_EQ(notices_.front().row, 0) << "the row being stored is current during the handler";
    EXPECT_EQ(seenText, "typed");
    EXPECT_EQ(arrayDuringHandler, "r0c1");
    EXPECT_EQ(rows_->Cell(0, 1), "typed");
    EXPECT_EQ(rows_->Cell(0, 0), "r0c0");
    EXPECT_EQ(Count(Notice::AfterSave), 1);
    EXPECT_EQ(grid_->CurrentRow(), 1);
    EXPECT_FALSE(grid_->HasPendingRow());
}

TEST_F(GridCommitTest, rereadInsideTheHandlerDropsTheTypedRowAndStoresNothing) {
    GoTo(1, 2);
    onBeforeSave_ = [&](bool*) { grid_->ReBind(); };
    Type("gone");
    ClickCell(0, 0);

    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(Count(Notice::AfterSave), 0);
    EXPECT_EQ(rows_->Cell(1, 2), "r1c2");
    EXPECT_EQ(grid_->model()->index(1, 2).data().toString(), "r1c2");
    EXPECT_FALSE(grid_->HasPendingRow());
    EXPECT_EQ(grid_->CurrentRow(), 0) << "the move the user asked for still happens";
}

TEST_F(GridCommitTest, cancelKeepsTheRowPendingMarkedAndCurrent) {
    GoTo(1, 1);
    onBeforeSave_ = [](bool* cancel) { *cancel = true; };
    Type("refused");
    Press(Qt::Key_Down);

    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(grid_->CurrentRow(), 1);
    EXPECT_TRUE(grid_->HasPendingRow());
    EXPECT_EQ(grid_->Text(), "refused");
    EXPECT_EQ(rows_->Cell(1, 1), "r1c1");
    EXPECT_EQ(grid_->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("\u270E"));

    // The next try goes through once the handler lets it.
    onBeforeSave_ = nullptr;
    ClickCell(2, 0);
    EXPECT_EQ(Count(Notice::BeforeSave), 2);
    EXPECT_EQ(rows_->Cell(1, 1), "refused");
    EXPECT_EQ(grid_->CurrentRow(), 2);
}

TEST_F(GridCommitTest, aRowTypedIntoTheEmptyLineIsAppendedWhenEnterLeavesTheLastColumn) {
    GoTo(grid_->NewRowLine(), 0);
    EXPECT_EQ(grid_->model()->headerData(3, Qt::Vertical).toString(), "*");
    Type("NEW");
    Press(Qt::Key_Return);  // cell stored, on to column 1
    Type("D");
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);  // last column: the row is left
    EXPECT_FALSE(grid_->HasPendingRow());

    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    ASSERT_EQ(rows_->RowCount(), 4);
    EXPECT_EQ(rows_->Cell(3, 0), "NEW");
    EXPECT_EQ(rows_->Cell(3, 1), "D");
    EXPECT_EQ(rows_->Cell(3, 2), "");
    EXPECT_EQ(grid_->NewRowLine(), 4);
    EXPECT_EQ(grid_->CurrentRow(), 4) << "ready for the next new row";
}

TEST_F(GridCommitTest, anEmptyArrayWithoutColumnsGrowsToTheGridsColumnsWhenARowIsAdded) {
    auto empty = std::make_shared<grid::RowArray>();
    grid_->Bind(empty);
    ASSERT_EQ(grid_->NewRowLine(), 0);
    grid_->SetCol(2);
    ASSERT_TRUE(grid_->SetText("x"));
    EXPECT_TRUE(grid_->PendingRowIsNew());
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Stored);
    EXPECT_EQ(empty->RowCount(), 1);
    EXPECT_EQ(empty->ColumnCount(), 3);
    EXPECT_EQ(empty->Cell(0, 2), "x");
}

TEST_F(GridCommitTest, aHandlerThatAddsTheRowItselfAndRereadsGetsItOnce) {
    // The program's way with the first row of an empty view.
    auto empty = std::make_shared<grid::RowArray>();
    grid_->Bind(empty);
    grid_->SetCol(1);
    onBeforeSave_ = [&](bool*) {
        const QString typed = grid_->Text();
        empty->Resize(0, 2);
        empty->SetCell(0, 1, typed);
        grid_->ReBind();
    };
    Type("D");
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Reread);
    EXPECT_EQ(empty->RowCount(), 1);
    EXPECT_EQ(grid_->model()->rowCount(), 2) << "the row and the empty line below it";
    EXPECT_EQ(grid_->model()->index(0, 1).data().toString(), "D");
    EXPECT_EQ(Count(Notice::AfterSave), 0);
}

TEST_F(GridCommitTest, escapeFirstRevertsTheCellThenDropsTheRow) {
    GoTo(0, 0);
    Type("first");
    Press(Qt::Key_Tab);  // column 0 now pending, editor closed
    Type("second");
    Press(Qt::Key_Escape);
    EXPECT_TRUE(grid_->HasPendingRow());
    EXPECT_EQ(grid_->model()->index(0, 1).data().toString(), "r0c1");
    EXPECT_EQ(grid_->model()->index(0, 0).data().toString(), "first");

    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid_->HasPendingRow());
    EXPECT_EQ(grid_->model()->index(0, 0).data().toString(), "r0c0");
    Press(Qt::Key_Down);
    EXPECT_EQ(Count(Notice::BeforeSave), 0);
    EXPECT_EQ(rows_->Cell(0, 0), "r0c0");
}

TEST_F(GridCommitTest, handlerReadsEveryColumnOfThePendingRowThroughColAndText) {
    GoTo(2, 1);
    Type("I");
    QStringList seen;
    onBeforeSave_ = [&](bool*) {
        EXPECT_EQ(grid_->Col(), 1);
        for (int column = 0; column < 3; ++column) {
            grid_->SetCol(column);
            EXPECT_EQ(grid_->Col(), column);
            EXPECT_EQ(grid_->CurrentRow(), 2);
            seen << grid_->Text();
        }
    };
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Stored);
    EXPECT_EQ(seen, QStringList({"r2c0", "I", "r2c2"}));
    EXPECT_EQ(grid_->Col(), 2) << "the column the handler left";
}

TEST_F(GridCommitTest, aCellLeftAsItWasStartsNoPendingRow) {
    GoTo(0, 1);
    Press(Qt::Key_F2);
    Press(Qt::Key_Return);
    Press(Qt::Key_Down);
    EXPECT_FALSE(grid_->HasPendingRow());
    EXPECT_EQ(Count(Notice::BeforeSave), 0);
}

TEST_F(GridCommitTest, aThrowingHandlerCountsAsCancelAndKeepsTheRow) {
    GoTo(0, 1);
    onBeforeSave_ = [](bool*) { throw std::runtime_error("handler failed"); };
    Type("kept");
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Cancelled);
    EXPECT_EQ(grid_->Phase(), EditPhase::Editing);
    EXPECT_EQ(grid_->Text(), "kept");
    EXPECT_EQ(rows_->Cell(0, 1), "r0c1");
}

TEST_F(GridCommitTest, rebindingToAnotherArrayInsideTheHandlerLeavesBothArraysAlone) {
    auto other = MakeArray(5);
    GoTo(1, 1);
    onBeforeSave_ = [&](bool*) { grid_->Bind(other); };
    Type("lost");
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Reread);
    EXPECT_EQ(rows_->Cell(1, 1), "r1c1");
    EXPECT_EQ(other->Cell(1, 1), "r1c1");
    EXPECT_EQ(grid_->BoundArray(), other);
    EXPECT_EQ(grid_->Phase(), EditPhase::Idle);
}

}  // namespace

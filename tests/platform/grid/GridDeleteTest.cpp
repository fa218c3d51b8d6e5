// SPDX-License-Identifier: MIT
#include "tests/platform/grid/GridFixture.h"

namespace {

using GridDeleteTest = GridFixture;

TEST_F(GridDeleteTest, deleteKeyRemovesAHighlightedRowAfterTheNotification) {
    rows_ = MakeArray(4);
    grid_->Bind(rows_);
    ClickRowSelector(1);
    QString idSeen;
    onBeforeDelete_ = [&](bool*) {
        grid_->SetCol(0);
        idSeen = grid_->Text();
    };
    Press(Qt::Key_Delete);

    ASSERT_EQ(Count(Notice::BeforeDelete), 1);
    EXPECT_EQ(notices_[0].arrayRows, 4) << "the row is still there during the handler";
    EXPECT_EQ(idSeen, "r1c0");
    ASSERT_EQ(Count(Notice::AfterDelete), 1);
    EXPECT_EQ(notices_[1].arrayRows, 3) << "the index-only notice follows the removal";
    EXPECT_EQ(notices_[1].viewIndex, 2);
    ASSERT_EQ(rows_->RowCount(), 3);
    EXPECT_EQ(rows_->Cell(1, 0), "r2c0") << "later rows move up";
    EXPECT_EQ(grid_->CurrentRow(), 1);
}

TEST_F(GridDeleteTest, cancelKeepsTheRowAndSendsNoIndexNotice) {
    ClickRowSelector(0);
    onBeforeDelete_ = [](bool* cancel) { *cancel = true; };
    Press(Qt::Key_Delete);
    EXPECT_EQ(Count(Notice::BeforeDelete), 1);
    EXPECT_EQ(Count(Notice::AfterDelete), 0);
    EXPECT_EQ(rows_->RowCount(), 3);
    EXPECT_EQ(rows_->Cell(0, 0), "r0c0");
}

TEST_F(GridDeleteTest, highlightedRowsGoHighestFirstOneNotificationEach) {
    rows_ = MakeArray(6);
    grid_->Bind(rows_);
    ClickRowSelector(1);
    ClickRowSelector(4, Qt::ControlModifier);
    ClickRowSelector(2, Qt::ControlModifier);
    QStringList ids;
    onBeforeDelete_ = [&](bool* cancel) {
        grid_->SetCol(0);
        ids << grid_->Text();
        *cancel = grid_->Text() == "r2c0";
    };
    Press(Qt::Key_Delete);

    EXPECT_EQ(ids, QStringList({"r4c0", "r2c0", "r1c0"}));
    EXPECT_EQ(Count(Notice::AfterDelete), 2);
    ASSERT_EQ(rows_->RowCount(), 4);
    EXPECT_EQ(rows_->Cell(0, 0), "r0c0");
    EXPECT_EQ(rows_->Cell(1, 0), "r2c0");
    EXPECT_EQ(rows_->Cell(2, 0), "r3c0");
    EXPECT_EQ(rows_->Cell(3, 0), "r5c0");
    ASSERT_EQ(grid_->HighlightCount(), 1) << "the row kept stays highlighted";
    EXPECT_EQ(grid_->HighlightedRow(0), 1);
}

// A spreadsheet user presses Delete to empty a cell: without a highlighted row it never
// reaches an item, only the cell, and leaving the row then asks before anything is saved.
TEST_F(GridDeleteTest, deleteInACellWithNoHighlightedRowEmptiesTheCellOnly) {
    GoTo(1, 2);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Count(Notice::BeforeDelete), 0);
    EXPECT_EQ(rows_->RowCount(), 3);
    EXPECT_TRUE(grid_->HasPendingRow());
    EXPECT_EQ(grid_->Text(), QString());
    EXPECT_EQ(rows_->Cell(1, 2), "r1c2") << "the array changes only when the row is stored";

    GoTo(grid_->NewRowLine(), 0);  // leaving the row commits it
    EXPECT_EQ(Count(Notice::BeforeSave), 1);
    EXPECT_EQ(rows_->Cell(1, 2), QString());
    EXPECT_EQ(grid_->DeleteRows(), 0) << "nothing is highlighted";
}

TEST_F(GridDeleteTest, deleteOnAPendingNewRowEmptiesItsCellWithoutAsking) {
    GoTo(grid_->NewRowLine(), 0);
    Type("half typed");
    Press(Qt::Key_Return);
    grid_->SetCol(0);
    Press(Qt::Key_Delete);
    EXPECT_EQ(grid_->Text(), QString());
    EXPECT_EQ(Count(Notice::BeforeDelete), 0);
    EXPECT_EQ(rows_->RowCount(), 3);
}

TEST_F(GridDeleteTest, deleteOnAnEditedHighlightedRowAsksAboutTheStoredValues) {
    GoTo(1, 0);
    Type("renamed");
    Press(Qt::Key_Return);
    ClickRowSelector(1);
    QString idSeen;
    onBeforeDelete_ = [&](bool*) {
        grid_->SetCol(0);
        idSeen = grid_->Text();
    };
    Press(Qt::Key_Delete);
    EXPECT_EQ(idSeen, "r1c0");
    EXPECT_EQ(rows_->RowCount(), 2);
    EXPECT_EQ(Count(Notice::BeforeSave), 0);
}

using GridHighlightTest = GridFixture;

TEST_F(GridHighlightTest, listKeepsTheOrderOfClicksCtrlClicksAndShiftRanges) {
    rows_ = MakeArray(8);
    grid_->Bind(rows_);
    ClickRowSelector(5);
    ClickRowSelector(1, Qt::ControlModifier);
    ClickRowSelector(3, Qt::ControlModifier);
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({5, 1, 3}));

    ClickRowSelector(1, Qt::ControlModifier);  // off again
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({5, 3}));

    ClickRowSelector(6, Qt::ShiftModifier);  // from the last row clicked (1) down to 6
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({1, 2, 3, 4, 5, 6}));

    ClickRowSelector(7);
    ClickRowSelector(5, Qt::ControlModifier | Qt::ShiftModifier);  // added, upwards
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({7, 6, 5}));
    EXPECT_EQ(grid_->HighlightedRow(3), -1);
}

TEST_F(GridHighlightTest, clickingASelectorMakesItsRowCurrentAndAPlainCellClickClears) {
    rows_ = MakeArray(5);
    grid_->Bind(rows_);
    ClickRowSelector(2);
    ClickRowSelector(4, Qt::ControlModifier);
    EXPECT_EQ(grid_->CurrentRow(), 4);
    ClickCell(0, 1);
    EXPECT_EQ(grid_->HighlightCount(), 0);
}

TEST_F(GridHighlightTest, aRowThatCannotBeLeftKeepsTheHighlightsAsTheyWere) {
    ClickRowSelector(0);
    GoTo(2, 1);
    Type("x");
    onBeforeSave_ = [](bool* cancel) { *cancel = true; };
    ClickRowSelector(1);
    EXPECT_EQ(grid_->CurrentRow(), 2);
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({0}));
}

TEST_F(GridHighlightTest, rereadKeepsHighlightsThatStillExist) {
    rows_ = MakeArray(5);
    grid_->Bind(rows_);
    grid_->SetHighlightedRows({4, 1});
    rows_->Resize(2, 2);
    grid_->ReBind();
    EXPECT_EQ(grid_->Highlights().Rows(), QList<int>({1}));
    grid_->Bind(MakeArray(5));
    EXPECT_EQ(grid_->HighlightCount(), 0);
}

}  // namespace

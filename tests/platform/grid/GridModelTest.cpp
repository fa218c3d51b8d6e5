// SPDX-License-Identifier: MIT
#include <chrono>

#include <QAbstractItemModelTester>
#include <QScrollBar>

#include "platform/grid/RowArrayModel.h"
#include "tests/platform/grid/GridFixture.h"

using grid::CommitOutcome;

namespace {

using GridModelTest = GridFixture;

TEST_F(GridModelTest, modelStaysConsistentThroughEditsStoresDeletesAndRebinds) {
    QAbstractItemModelTester tester(grid_->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    GoTo(0, 1);
    Type("edited");
    Press(Qt::Key_Down);
    GoTo(grid_->NewRowLine(), 0);
    Type("appended");
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Stored);
    ClickRowSelector(1);
    Press(Qt::Key_Delete);
    GoTo(1, 2);
    ASSERT_TRUE(grid_->SetText("dropped"));
    Press(Qt::Key_Escape);
    grid_->SetColumnCaptions({"A", "B"});
    grid_->SetColumnCaptions({"A", "B", "C", "D"});
    grid_->ReBind();
    grid_->Bind(MakeArray(7, 4));
    grid_->Bind(nullptr);
    EXPECT_EQ(grid_->model()->rowCount(), 0);
    EXPECT_EQ(rows_->RowCount(), 3);
    EXPECT_EQ(rows_->Cell(0, 1), "edited");
    EXPECT_EQ(rows_->Cell(1, 0), "r2c0");
    EXPECT_EQ(rows_->Cell(2, 0), "appended");
}

TEST_F(GridModelTest, aHundredThousandRowsBindScrollAndTakeANewRowQuickly) {
    constexpr int kRows = 100000;
    auto big = std::make_shared<grid::RowArray>();
    for (int r = 0; r < kRows; ++r) {
        big->Resize(r, 10);
        big->SetCell(r, 0, QStringLiteral("ITEM%1").arg(r));
    }
    const auto start = std::chrono::steady_clock::now();
    grid_->Bind(big);
    grid_->scrollToBottom();
    grid_->viewport()->repaint();
    GoTo(grid_->NewRowLine(), 0);
    ASSERT_TRUE(grid_->SetText("LAST"));
    ASSERT_EQ(grid_->CommitRow(), CommitOutcome::Stored);
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(grid_->model()->rowCount(), kRows + 2);
    EXPECT_EQ(big->Cell(kRows, 0), "LAST");
    EXPECT_EQ(grid_->model()->index(kRows - 1, 0).data().toString(), "ITEM99999");
    EXPECT_EQ(grid_->verticalScrollBar()->value(), grid_->verticalScrollBar()->maximum());
    // Generous: a per-row cost anywhere in binding or appending takes far longer.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 5);
}

TEST_F(GridModelTest, anArrayShrunkBehindTheGridReadsEmptyUntilReread) {
    rows_->Resize(0, 2);
    EXPECT_EQ(grid_->model()->index(2, 0).data().toString(), "");
    grid_->ReBind();
    EXPECT_EQ(grid_->model()->rowCount(), 2);
}

}  // namespace

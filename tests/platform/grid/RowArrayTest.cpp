// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/grid/RowArray.h"

using grid::RowArray;

namespace {

TEST(GridRowArrayTest, aNewArrayHasNoRowsAndReadsEmpty) {
    RowArray rows;
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_EQ(rows.HighestRow(), -1);
    EXPECT_EQ(rows.ColumnCount(), 0);
    EXPECT_EQ(rows.Cell(0, 0), "");
    EXPECT_FALSE(rows.SetCell(0, 0, "x"));
}

TEST(GridRowArrayTest, resizingKeepsEveryCellThatStillExists) {
    RowArray rows;
    rows.Resize(2, 2);
    for (int r = 0; r <= 2; ++r) {
        for (int c = 0; c <= 2; ++c) {
            ASSERT_TRUE(rows.SetCell(r, c, QStringLiteral("%1,%2").arg(r).arg(c)));
        }
    }
    rows.Resize(3, 4);  // wider and longer
    EXPECT_EQ(rows.Cell(2, 2), "2,2");
    EXPECT_EQ(rows.Cell(1, 0), "1,0");
    EXPECT_EQ(rows.Cell(3, 4), "");
    EXPECT_EQ(rows.Cell(0, 3), "");

    rows.Resize(1, 1);  // narrower and shorter
    EXPECT_EQ(rows.RowCount(), 2);
    EXPECT_EQ(rows.ColumnCount(), 2);
    EXPECT_EQ(rows.Cell(1, 1), "1,1");
    EXPECT_EQ(rows.Cell(2, 2), "");
    EXPECT_FALSE(rows.SetCell(1, 2, "outside"));

    rows.Resize(-1, 1);  // no rows, as a filter with no match ends
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_EQ(rows.HighestRow(), -1);
}

TEST(GridRowArrayTest, removingARowMovesTheLaterRowsUp) {
    RowArray rows(4, 2);
    for (int r = 0; r < 4; ++r) {
        rows.SetCell(r, 0, QString::number(r));
        rows.SetCell(r, 1, QStringLiteral("v%1").arg(r));
    }
    EXPECT_TRUE(rows.RemoveRow(1));
    EXPECT_FALSE(rows.RemoveRow(3));
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Cell(0, 1), "v0");
    EXPECT_EQ(rows.Cell(1, 0), "2");
    EXPECT_EQ(rows.Cell(2, 1), "v3");
}

TEST(GridRowArrayTest, cellsKeepEveryCharacterIncludingMarksAndControls) {
    RowArray rows(1, 1);
    const QString text = QStringLiteral(" a\u00FDb\u00FCc\u00FB\r\t \u00FF ");
    rows.SetCell(0, 0, text);
    EXPECT_EQ(rows.Cell(0, 0), text);
}

}  // namespace

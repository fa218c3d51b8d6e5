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

// Rows are kept a byte per character until a cell needs more; every way of writing a row
// (a cell, a whole row, a copy into a narrower or wider array, a change of width) must
// give back each cell as written, long cells (lengths past one byte) and empty ones too.
TEST(GridRowArrayTest, cellsKeepEveryCharacterHoweverTheRowIsWritten) {
    const QString marks = QStringLiteral(" a\u00FDb\u00FCc\u00FB\r\t \u00FF \0 ");
    const QString wide = QStringLiteral("\u20AC \u0100 \U0001F600");
    const QString longText = QString(300, QChar(0xFE)) + QStringLiteral("end");
    const QStringList cells{marks, QString(), longText, wide, QStringLiteral("last")};

    RowArray byCell(1, 5);
    for (int c = 0; c < 5; ++c) {
        ASSERT_TRUE(byCell.SetCell(0, c, cells[c]));
    }
    RowArray byRow(2, 5);
    ASSERT_TRUE(byRow.SetRow(1, cells + QStringList{QStringLiteral("past the last column")}));
    EXPECT_FALSE(byRow.SetRow(2, cells));
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(byCell.Cell(0, c), cells[c]) << c;
        EXPECT_EQ(byRow.Cell(1, c), cells[c]) << c;
        EXPECT_TRUE(byRow.CellEquals(1, c, cells[c])) << c;
        EXPECT_FALSE(byRow.CellEquals(1, c, cells[c] + QLatin1Char('x'))) << c;
        EXPECT_EQ(byRow.Cell(0, c), QString()) << "a row never written reads empty";
    }
    EXPECT_TRUE(byRow.CellEquals(0, 2, QString()));
    EXPECT_FALSE(byRow.CellEquals(1, 5, QString()));

    // A wide cell written over a one-byte row, then taken out again, keeps the others.
    byCell.SetCell(0, 3, QStringLiteral("narrow"));
    byCell.SetCell(0, 1, wide);
    EXPECT_EQ(byCell.Cell(0, 0), marks);
    EXPECT_EQ(byCell.Cell(0, 1), wide);
    EXPECT_EQ(byCell.Cell(0, 2), longText);

    RowArray narrower(1, 3);
    RowArray wider(1, 7);
    ASSERT_TRUE(narrower.CopyRow(0, byRow, 1));
    ASSERT_TRUE(wider.CopyRow(0, byRow, 1));
    EXPECT_FALSE(wider.CopyRow(0, byRow, 2));
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(narrower.Cell(0, c), c < 3 ? cells[c] : QString()) << c;
        EXPECT_EQ(wider.Cell(0, c), c < 5 ? cells[c] : QString()) << c;
    }
    // From bytes: one character each, the pieces between separators, the rest ignored.
    RowArray fromBytes(2, 5);
    ASSERT_TRUE(fromBytes.SetRowFromBytes(0, "ID",
                                          "a\xFD"
                                          "b\xFE\xFEx\xFEy\xFEz\xFEpast",
                                          '\xFE'));
    ASSERT_TRUE(fromBytes.SetRowFromBytes(1, "", "only", '\xFE'));
    EXPECT_FALSE(fromBytes.SetRowFromBytes(2, "ID", "", '\xFE'));
    const QStringList expected{QStringLiteral("ID"), QStringLiteral("a\u00FDb"), QString(),
                               QStringLiteral("x"), QStringLiteral("y")};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(fromBytes.Cell(0, c), expected[c]) << c;
        EXPECT_EQ(fromBytes.Cell(1, c), c == 1 ? QStringLiteral("only") : QString()) << c;
    }

    byRow.Resize(1, 3);
    EXPECT_EQ(byRow.Cell(1, 2), longText);
    EXPECT_EQ(byRow.Cell(1, 3), wide);
    EXPECT_EQ(byRow.Cell(1, 4), QString());
}

}  // namespace

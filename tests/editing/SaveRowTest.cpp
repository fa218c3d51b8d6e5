// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QTest>

#include "platform/ui/TabControl.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

class SaveRowTest : public EditingFixture {};

TEST_F(SaveRowTest, savingAnAsRowWritesItsTenFieldsAndKeepsTheFieldsAfterThem) {
    openOrders();
    const int row = rowOf(kAS, "ORD.QTY");
    type(kAS, row, {{2, QString()}, {3, QStringLiteral("Quantity ordered")}});
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kAS), grid::CommitOutcome::Stored);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("ORD.QTY")}));
    // The grid does not show fields 11 and 12: they stay as the account holds them. The
    // emptied field 2 keeps its place.
    EXPECT_EQ(onDisk("ORD.QTY"),
              (Fields{"A", "", "Quantity ordered", "", "S", "", "", "", "", "R", "5", "eleven"}));
    EXPECT_EQ(column(kAS, 3).at(row), QStringLiteral("Quantity ordered"));
    EXPECT_EQ(grid(kAS).Col(), 10);  // the fields were visited in order
    EXPECT_EQ(counter(kAS), 1);
}

TEST_F(SaveRowTest, answeringNoDropsTheTypedChangeAndWritesNothing) {
    openOrders();
    const int row = rowOf(kDIV, "PRICE");
    type(kDIV, row, {{3, QStringLiteral("MD0")}});
    answer({Answer::No});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), Boxes{saveQuestion()});
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));
    EXPECT_EQ(column(kDIV, 3).at(row), QStringLiteral("MD2"));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

TEST_F(SaveRowTest, aChangedIdWritesAnItemOfTheNewIdAndLeavesTheOldOne) {
    openOrders();
    const int row = rowOf(kOther, "NEXT");
    type(kOther, row, {{0, QStringLiteral("NEXT2")}, {2, QStringLiteral("200")}});
    answer({Answer::Yes, Answer::OK});

    leaveRow(kOther);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("NEXT2")}));
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "100"}));
    EXPECT_EQ(onDisk("NEXT2").mid(0, 3), (Fields{"X", "200", ""}));
    EXPECT_EQ(onDisk("NEXT2").size(), 10);
    EXPECT_TRUE(dialogs.shown()[0].detail.startsWith(
        QStringLiteral("Writes a new item NEXT2; NEXT stays as it is.\n")))
        << dialogs.shown()[0].detail.toStdString();
    // The old item keeps its row, as it keeps its place in the account; the new one has
    // a row of its own.
    EXPECT_EQ(column(kOther, 0).at(row), QStringLiteral("NEXT"));
    EXPECT_EQ(column(kOther, 2).at(row), QStringLiteral("100"));
    ASSERT_GE(rowOf(kOther, "NEXT2"), 0);
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT2")), QStringLiteral("200"));
    EXPECT_EQ(counter(kOther), arrayRows(kOther));
}

// Leaving a changed row from its item id column, in the views that refuse it.
class IdRefusal : public SaveRowTest, public ::testing::WithParamInterface<int> {};

TEST_P(IdRefusal, showsTheRefusalPutsTheIdBackAndKeepsTheOtherTypedValuesPending) {
    openOrders();
    const int view = GetParam();
    const QStringList before = column(view, 0);
    const char* refusal =
        "You can't change the item id, if you want to add an item, go to the bottom | OK | "
        "Critical | Operation not allowed";
    answer({Answer::OK, Answer::OK});

    type(view, 0, {{1, QStringLiteral("changed")}, {0, QStringLiteral("RENAMED")}});
    EXPECT_EQ(leaveRow(view), grid::CommitOutcome::Cancelled);
    EXPECT_EQ(grid(view).Text(), before.at(0));  // the id as it was
    grid(view).SetCol(1);
    EXPECT_EQ(grid(view).Text(), QStringLiteral("changed"));
    EXPECT_TRUE(grid(view).HasPendingRow());
    EXPECT_TRUE(grid(view).CancelRow());

    // A new row keeps what was typed, its id included.
    typeNewRow(view, {{1, QStringLiteral("X")}, {0, QStringLiteral("BRAND.NEW")}});
    EXPECT_EQ(leaveRow(view), grid::CommitOutcome::Cancelled);
    EXPECT_EQ(grid(view).Text(), QStringLiteral("BRAND.NEW"));
    EXPECT_TRUE(grid(view).PendingRowIsNew());

    EXPECT_EQ(boxes(), (Boxes{refusal, refusal}));
    EXPECT_EQ(column(view, 0), before);
    EXPECT_NE(column(view, 1).at(0), QStringLiteral("changed"));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("RENAMED")));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("BRAND.NEW")));
}

std::string ViewName(const ::testing::TestParamInfo<int>& test) {
    return test.param == 0 ? "AS" : test.param == 1 ? "PH" : "Other";
}

INSTANTIATE_TEST_SUITE_P(AsPhAndOther, IdRefusal, ::testing::Values(0, 1, 3), ViewName);

TEST_F(SaveRowTest, theFirstRowOfAnEmptyViewIsAddedOnceCountedAndListed) {
    openOrders(/*withPhrase=*/false);
    ASSERT_EQ(counter(kPH), 0);
    typeNewRow(kPH, {{0, QStringLiteral("LINES")},
                     {1, QStringLiteral("PH")},
                     {2, QStringLiteral("QTY PRICE")}});
    answer({Answer::Yes, Answer::OK});

    leaveRow(kPH);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("LINES")}));
    EXPECT_EQ(onDisk("LINES"), (Fields{"PH", "QTY PRICE"}));
    EXPECT_EQ(column(kPH, 0), QStringList{QStringLiteral("LINES")});
    EXPECT_EQ(column(kPH, 2), QStringList{QStringLiteral("QTY PRICE")});
    EXPECT_EQ(counter(kPH), 1);
    EXPECT_EQ(grid(kPH).Model()->rowCount(), 2);  // the row once, and the empty line
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("LINES")}));
}

TEST_F(SaveRowTest, aRowAppendedToAViewWithRowsCountsAndAPhraseIsListedAtOnce) {
    openOrders();
    typeNewRow(
        kPH,
        {{0, QStringLiteral("HEADS")}, {1, QStringLiteral("PH")}, {2, QStringLiteral("NEXT")}});
    typeNewRow(kAS, {{0, QStringLiteral("ORD.NO")}, {1, QStringLiteral("S")}});
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kPH), grid::CommitOutcome::Stored);
    EXPECT_EQ(leaveRow(kAS), grid::CommitOutcome::Stored);

    EXPECT_EQ(phraseEntries(), (QStringList{QStringLiteral("All (Refresh)"),
                                            QStringLiteral("LINES"), QStringLiteral("HEADS")}));
    for (const int view : {kAS, kPH, kDIV, kOther}) {
        EXPECT_EQ(counter(view), arrayRows(view)) << "view " << view;
    }
    EXPECT_EQ(counter(kAS), 2);
    EXPECT_EQ(onDisk("ORD.NO").size(), 10);
}

TEST_F(SaveRowTest, aRefusedWriteKeepsTheRowPendingUntilSavedAgainOrDropped) {
    openOrders();
    const int row = rowOf(kDIV, "QTY");
    // A field holding a line feed cannot be stored, so the engine refuses the write.
    type(kDIV, row, {{4, QStringLiteral("Qty\nordered")}});
    answer({Answer::Yes, Answer::OK});

    EXPECT_FALSE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "PRICE")));

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), serverError(kLineFeedRefused, "ORDERS", "QTY")}));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "", "Qty", "5R", "S"}));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).CurrentRow(), row);
    EXPECT_EQ(column(kDIV, 4).at(row), QStringLiteral("Qty"));  // the array holds what disk does
    EXPECT_EQ(grid(kDIV).Model()->CellText(row, 4), QStringLiteral("Qty\nordered"));

    // Saved again once corrected.
    dialogs.clear();
    grid(kDIV).SetCol(4);
    ASSERT_TRUE(grid(kDIV).SetText(QStringLiteral("Qty ordered")));
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("QTY")}));
    EXPECT_EQ(onDisk("QTY").at(3), "Qty ordered");

    // Or dropped with Escape: nothing written, the stored values shown again.
    dialogs.clear();
    type(kDIV, row, {{4, QStringLiteral("a\nb")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kDIV);
    grid(kDIV).setFocus();
    QTest::keyClick(&grid(kDIV), Qt::Key_Escape);
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Model()->CellText(row, 4), QStringLiteral("Qty ordered"));
    EXPECT_EQ(onDisk("QTY").at(3), "Qty ordered");
}

TEST_F(SaveRowTest, aNewRowWithoutAnItemIdIsRefusedAndKeptPending) {
    openOrders();
    const int rowsBefore = arrayRows(kOther);
    const QStringList itemsBefore =
        QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files);
    typeNewRow(kOther, {{1, QStringLiteral("X")}, {2, QStringLiteral("7")}});
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(),
                              "The row has no item id. Type the item id into the column Dict "
                              "Item and leave the row again, or press Esc to drop the row. | OK "
                              "| Exclamation | Kelvora"}));
    EXPECT_TRUE(grid(kOther).PendingRowIsNew());
    EXPECT_EQ(arrayRows(kOther), rowsBefore);
    EXPECT_EQ(QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files), itemsBefore);
}

TEST_F(SaveRowTest, openingAnotherFileFirstSettlesARowLeftPending) {
    openOrders();
    makeDictionary(QStringLiteral("EMPTY"));
    writeItem(QStringLiteral("EMPTY"), QStringLiteral("@EMPTY.NULL"), {"X"});
    type(kAS, rowOf(kAS, "ORD.QTY"), {{9, QStringLiteral("L")}});
    type(kOther, rowOf(kOther, "NEXT"), {{2, QStringLiteral("a\nb")}});

    // The A/S row is written; the Other row is refused, so the open stops there.
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK, Answer::OK});
    open(QStringLiteral("EMPTY"));

    EXPECT_EQ(boxes(),
              (Boxes{saveQuestion(), written("ORD.QTY"), saveQuestion(),
                     serverError(kLineFeedRefused, "ORDERS", "NEXT"),
                     "A changed row in the tab \"Other Types\" is not saved. Save it, or press "
                     "Esc to drop its changes, then open again. | OK | Exclamation | Kelvora"}));
    EXPECT_EQ(onDisk("ORD.QTY").at(8), "L");
    EXPECT_EQ(Dictionary().file->FileName(), "ORDERS");
    EXPECT_EQ(screen.CurrentTab(), kOther);
    EXPECT_TRUE(grid(kOther).HasPendingRow());

    // Once the row is dropped the open goes on.
    dialogs.clear();
    grid(kOther).CancelRow();
    open(QStringLiteral("EMPTY"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(Dictionary().file->FileName(), "EMPTY");
}

}  // namespace

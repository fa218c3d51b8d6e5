// SPDX-License-Identifier: MIT
#include <QTest>

#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

const std::string kSureQuestion = "Are you sure? | YesNo | None | Delete?";
// An item that others use: one question naming them instead of "Are you sure?".
std::string usedByQuestion(const std::string& id, const std::string& users) {
    return id + " is used by " + users + ". Delete it? | YesNo | Exclamation | Kelvora";
}

class DeleteRowTest : public EditingFixture {
protected:
    // Highlights the row with its row selector and presses Delete, as the user does.
    int deleteRow(int view, const char* id) {
        grid(view).SetHighlightedRows({rowOf(view, id)});
        return grid(view).DeleteRows();
    }
};

TEST_F(DeleteRowTest, yesDeletesTheItemRemovesItsRowAndLowersTheCounter) {
    openOrders();
    const int rows = arrayRows(kOther);
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    answer({Answer::Yes, Answer::OK});

    grid(kOther).setFocus();
    QTest::keyClick(&grid(kOther), Qt::Key_Delete);

    EXPECT_EQ(boxes(),
              (Boxes{kSureQuestion, "Record NEXT has been deleted | OK | None | Success"}));
    EXPECT_EQ(dialogs.shown()[0].defaultButton, Answer::No) << "Enter alone must not delete";
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
    EXPECT_EQ(rowOf(kOther, "NEXT"), -1);
    EXPECT_EQ(arrayRows(kOther), rows - 1);
    EXPECT_EQ(counter(kOther), rows - 1);
}

TEST_F(DeleteRowTest, noKeepsTheRowAndTheItem) {
    openOrders();
    answer({Answer::No});

    EXPECT_EQ(deleteRow(kDIV, "PRICE"), 0);

    EXPECT_EQ(boxes(), Boxes{usedByQuestion("PRICE", "TOTAL and the phrase LINES")});
    EXPECT_EQ(dialogs.shown()[0].defaultButton, Answer::No);
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));
    EXPECT_NE(rowOf(kDIV, "PRICE"), -1);
    EXPECT_EQ(counter(kDIV), 3);
}

TEST_F(DeleteRowTest, aDeleteTheServerRefusesKeepsTheRowAndTheCounter) {
    openOrders();
    // Gone behind the program's back: the engine cannot delete what it cannot find.
    ASSERT_TRUE(QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/PRICE")));
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdWriteMine", {}, &seen));
    answer({Answer::OK});

    EXPECT_EQ(deleteRow(kDIV, "PRICE"), 0);

    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(boxes()[1], kConflictWindow);
    const auto& box = dialogs.shown()[2];
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_TRUE(box.prompt.endsWith(QStringLiteral(" -->File: ORDERS -->Record: PRICE")))
        << box.prompt.toStdString();
    EXPECT_NE(rowOf(kDIV, "PRICE"), -1);
    EXPECT_EQ(counter(kDIV), 3);
}

TEST_F(DeleteRowTest, theOnlyPhRowLeavesAnEmptyListedViewThatTakesAFirstRowAgain) {
    openOrders();
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(deleteRow(kPH, "LINES"), 1);

    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("LINES")));
    EXPECT_EQ(counter(kPH), 0);
    EXPECT_EQ(arrayRows(kPH), 0);
    EXPECT_EQ(phraseEntries(), QStringList{QStringLiteral("All (Refresh)")});

    typeNewRow(
        kPH,
        {{0, QStringLiteral("HEADS")}, {1, QStringLiteral("PH")}, {2, QStringLiteral("NEXT")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kPH);
    EXPECT_EQ(column(kPH, 0), QStringList{QStringLiteral("HEADS")});
    EXPECT_EQ(counter(kPH), 1);
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("HEADS")}));
}

TEST_F(DeleteRowTest, yesDeletesAnItemOthersUseAfterOneQuestionThatNamesThem) {
    openOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("V.QTY"), {"V", "QTY + 1"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("A.TOTAL"), {"I", "V.QTY * PRICE"});
    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(deleteRow(kDIV, "QTY"), 1);

    EXPECT_EQ(boxes(), (Boxes{usedByQuestion("QTY", "TOTAL, V.QTY and the phrase LINES"),
                              "Record QTY has been deleted | OK | None | Success"}));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    // Its users are left as they were.
    EXPECT_EQ(onDisk("V.QTY"), (Fields{"V", "QTY + 1"}));

    // Named only through V.QTY: A.TOTAL is V.QTY's user, not QTY's.
    answer({Answer::No});
    deleteRow(kDIV, "V.QTY");
    EXPECT_EQ(boxes().back(), usedByQuestion("V.QTY", "A.TOTAL"));
}

// Without a highlighted row the Delete key never reaches an item.
TEST_F(DeleteRowTest, theDeleteKeyInACellAsksNothingAndKeepsTheItem) {
    openOrders();
    ASSERT_TRUE(grid(kOther).SetCurrentRow(rowOf(kOther, "NEXT")));
    grid(kOther).SetCol(2);
    grid(kOther).setFocus();
    QTest::keyClick(&grid(kOther), Qt::Key_Delete);

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "100"}));
    EXPECT_EQ(grid(kOther).Text(), QString()) << "the cell is emptied, as in a spreadsheet";
    answer({Answer::No});
    leaveRow(kOther);
    EXPECT_EQ(boxes(), Boxes{saveQuestion()});
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT")), QStringLiteral("100"));
}

TEST_F(DeleteRowTest, highlightedRowsAreAskedForOneByOneAndCountedEach) {
    openOrders();
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "PRICE"), rowOf(kDIV, "TOTAL")});
    answer({Answer::Yes, Answer::OK, Answer::No});

    EXPECT_EQ(grid(kDIV).DeleteRows(), 1);

    // From the highest row down: TOTAL is deleted, PRICE kept; PRICE's question no longer
    // names the deleted TOTAL.
    EXPECT_EQ(boxes(), (Boxes{usedByQuestion("TOTAL", "the phrase LINES"),
                              "Record TOTAL has been deleted | OK | None | Success",
                              usedByQuestion("PRICE", "the phrase LINES")}));
    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY")}));
    EXPECT_EQ(counter(kDIV), 2);
}

}  // namespace

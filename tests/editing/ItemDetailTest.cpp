// SPDX-License-Identifier: MIT
#include "dictionary/Dependencies.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/TempDir.h"

namespace {

using ui::Answer;

class ItemDetailTest : public EditingFixture {
protected:
    // Brings the view's tab to the front, as the window does (which then sends the detail
    // of its grid), and makes the item's row current.
    QString detailOf(int view, const char* id) {
        screen.ShowView(dictionary::ViewAt(view));
        editing.ShowItemDetail();
        EXPECT_TRUE(grid(view).SetCurrentRow(rowOf(view, id)));
        return screen.ItemDetail();
    }
};

TEST_F(ItemDetailTest, showsEveryFieldAsReadWithMarksThenItsUsersAndUses) {
    makeOrders();
    // Fields 9 and 10 lie past the D/I/V grid's eight columns.
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"),
              {"D Quantity", "3", "", "Qty\xFDQuantity", "5R", "M", "", "",
               "extra\xFC"
               "sub",
               "last"});
    login();
    open(QStringLiteral("ORDERS"));

    EXPECT_EQ(detailOf(kDIV, "QTY"), QStringLiteral("Item QTY\n"
                                                    "Field 1 (Type): D Quantity\n"
                                                    "Field 2 (Attribute Count or Formula): 3\n"
                                                    "Field 3 (Conv):\n"
                                                    "Field 4 (Column Name): Qty[VM]Quantity\n"
                                                    "Field 5 (Align): 5R\n"
                                                    "Field 6 (S / M): M\n"
                                                    "Field 7 (Association):\n"
                                                    "Field 8 (Data Type):\n"
                                                    "Field 9: extra[SM]sub\n"
                                                    "Field 10: last\n"
                                                    "\n"
                                                    "Used by: TOTAL and the phrase LINES\n"
                                                    "Uses: nothing"));
    EXPECT_TRUE(detailOf(kDIV, "TOTAL")
                    .endsWith(QStringLiteral("Used by: the phrase LINES\nUses: QTY and PRICE")));
    EXPECT_TRUE(detailOf(kPH, "LINES")
                    .endsWith(QStringLiteral("Field 2 (Phrase): QTY PRICE TOTAL\n\nUsed by: "
                                             "nothing\nUses: QTY, PRICE and TOTAL")));
}

TEST_F(ItemDetailTest, followsTypingTheSaveAndTheDeleteOfTheRowInFrontOnly) {
    openOrders();
    detailOf(kDIV, "PRICE");
    grid(kDIV).SetCol(3);
    ASSERT_TRUE(grid(kDIV).SetText(QStringLiteral("MD4")));
    EXPECT_TRUE(screen.ItemDetail().startsWith(
        QStringLiteral("Item PRICE, changed and not saved: fields 1 to 8 as typed\n")));
    EXPECT_TRUE(screen.ItemDetail().contains(QStringLiteral("\nField 3 (Conv): MD4\n")));
    EXPECT_TRUE(screen.ItemDetail().endsWith(QStringLiteral("Uses: nothing (as saved)")));

    // A grid behind another tab leaves the detail alone.
    const int shown = screen.ItemDetailsShown();
    ASSERT_TRUE(grid(kOther).SetCurrentRow(rowOf(kOther, "NEXT")));
    EXPECT_EQ(screen.ItemDetailsShown(), shown);

    answer({Answer::Yes, Answer::OK});
    ASSERT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "PRICE")));
    EXPECT_TRUE(screen.ItemDetail().startsWith(
        QStringLiteral("Item PRICE\nField 1 (Type): D\nField 2 (Attribute Count or Formula): "
                       "4\nField 3 (Conv): MD4\n")));

    // TOTAL goes: PRICE's users follow at once, and the row moved into its place shows.
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "TOTAL")});
    answer({Answer::Yes, Answer::OK});
    ASSERT_EQ(grid(kDIV).DeleteRows(), 1);
    EXPECT_EQ(editing.CurrentItemDetail(), screen.ItemDetail());
    EXPECT_TRUE(detailOf(kDIV, "PRICE")
                    .endsWith(QStringLiteral("Used by: the phrase LINES\n"
                                             "Uses: nothing")));
}

TEST_F(ItemDetailTest, aNewRowShowsItsTypedValuesAndTheEmptyLineNothing) {
    openOrders();
    screen.ShowView(dictionary::ViewKind::Other);
    editing.ShowItemDetail();
    ASSERT_TRUE(grid(kOther).SetCurrentRow(grid(kOther).NewRowLine()));
    EXPECT_EQ(screen.ItemDetail(), QString());

    grid(kOther).SetCol(2);
    ASSERT_TRUE(grid(kOther).SetText(QStringLiteral("7\u00FD8")));
    EXPECT_TRUE(screen.ItemDetail().startsWith(
        QStringLiteral("New item (no id yet), not saved: the values typed\nField 1 (Type):\n"
                       "Field 2 (A2): 7[VM]8\nField 3 (A3):\n")));
    EXPECT_FALSE(screen.ItemDetail().contains(QStringLiteral("Used by")));
}

// The real dictionary: two V items name STATES through a TRANS, and phrases name the
// data fields.
TEST_F(ItemDetailTest, usersAndUsesOfTheCorpusDictionary) {
    ASSERT_TRUE(copyTree(
        QStringLiteral(KELVORA_SOURCE_DIR "/tests/data/corpus-mit/multivalue-lab_XDEMO-UDT"),
        account()));
    login(QStringLiteral("UniData"));
    open(QStringLiteral("REGION"));
    dialogs.clear();

    const dictionary::Dependencies& now = Dictionary().views->CurrentDependencies();
    EXPECT_EQ(dictionary::UsersInWords(now.UsedBy("STATES")),
              QStringLiteral("STATES_FK, STATE_SALES_FK and the phrase REGION_DETAILS"));
    EXPECT_EQ(dictionary::NamesInWords(now.Uses("REGION_DETAILS")),
              QStringLiteral("CUSTOMERS, CUSTOMER_SALES, STATES and STATE_SALES"));
    EXPECT_EQ(dictionary::UsersInWords(now.UsedBy("AMENDED_DATE")),
              QStringLiteral("the phrase AMEND_INFO"));
    EXPECT_EQ(dictionary::UsersInWords(now.UsedBy("NAME")),
              QStringLiteral("the phrase @ and the phrase AT"));
    EXPECT_TRUE(detailOf(kDIV, "STATES_FK")
                    .endsWith(QStringLiteral("Field 9: REGION\n\nUsed by: nothing\nUses: STATES")));
}

}  // namespace

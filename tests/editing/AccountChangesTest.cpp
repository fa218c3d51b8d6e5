// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "tests/editing/EditingFixture.h"

// Nothing the user did not see is written over: a new row whose id exists, an item that
// someone changed after its row was read, and the fields a view does not show.
namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

const std::string kNextExists = "NEXT already exists. Replace it? | YesNo | Question | Kelvora";

std::string changedBox(const std::string& id, const std::string& question) {
    return id + " was changed in the account after it was read. " + question +
           " | YesNoCancel | Exclamation | Changed in the account";
}

class AccountChangesTest : public EditingFixture {
protected:
    // Someone else's write, straight into the account.
    void changeBehindTheProgram(const char* id, const Fields& fields) {
        writeItem(QStringLiteral("ORDERS"), QString::fromLatin1(id), fields);
    }
    int rowsOf(int view, const char* id) const {
        return static_cast<int>(column(view, 0).count(QString::fromLatin1(id)));
    }
};

TEST_F(AccountChangesTest, aNewRowNamingAnExistingItemAsksAndNoKeepsTheTypedRow) {
    openOrders();
    typeNewRow(kOther,
               {{0, QStringLiteral("NEXT")}, {1, QStringLiteral("X")}, {2, QStringLiteral("999")}});
    answer({Answer::Yes, Answer::No});

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kNextExists}));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, Answer::No);
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "100"}));
    ASSERT_TRUE(grid(kOther).PendingRowIsNew());
    grid(kOther).SetCol(2);
    EXPECT_EQ(grid(kOther).Text(), QStringLiteral("999"));

    // Another id, and the row goes in as a new item.
    grid(kOther).SetCol(0);
    ASSERT_TRUE(grid(kOther).SetText(QStringLiteral("NEXT2")));
    grid(kOther).SetCol(1);
    dialogs.clear();
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Stored);
    EXPECT_EQ(onDisk("NEXT2").mid(0, 2), (Fields{"X", "999"}));
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "100"}));
}

TEST_F(AccountChangesTest, replacingFromANewRowShowsTheItemOnce) {
    openOrders();
    const int rows = arrayRows(kOther);
    typeNewRow(kOther,
               {{0, QStringLiteral("NEXT")}, {1, QStringLiteral("X")}, {2, QStringLiteral("999")}});
    answer({Answer::Yes, Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kNextExists, written("NEXT")}));
    EXPECT_EQ(onDisk("NEXT").mid(0, 3), (Fields{"X", "999", ""}));
    EXPECT_EQ(rowsOf(kOther, "NEXT"), 1);
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT")), QStringLiteral("999"));
    EXPECT_EQ(arrayRows(kOther), rows);
    EXPECT_FALSE(grid(kOther).HasPendingRow());
}

// Yes writes the typed row over the other's change, No shows the account's version and
// drops the typed change, Cancel keeps the row pending and writes nothing.
struct ChangedCase {
    const char* name;
    Answer answer;
    grid::CommitOutcome outcome;
    QByteArrayList onDisk;
    const char* shownConv;  // column 3 of the row afterwards
    bool stillPending;
};

class ChangedBeforeSave : public AccountChangesTest,
                          public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ChangedBeforeSave, asksBeforeWritingOverTheOthersChange) {
    const ChangedCase& c = GetParam();
    openOrders();
    changeBehindTheProgram("PRICE", {"D", "4", "MD2", "Price", "8R", "S", "THEIRS"});
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}});
    answer({Answer::Yes, c.answer});
    if (c.answer == Answer::Yes) {
        dialogs.QueueAnswer(Answer::OK);
    }

    EXPECT_EQ(leaveRow(kDIV), c.outcome);

    ASSERT_GE(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1], changedBox("PRICE", "Write your version over it?"));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, Answer::Cancel);
    EXPECT_EQ(onDisk("PRICE"), c.onDisk);
    EXPECT_EQ(column(kDIV, 3).at(rowOf(kDIV, "PRICE")), QString::fromLatin1(c.shownConv));
    EXPECT_EQ(grid(kDIV).HasPendingRow(), c.stillPending);
    if (c.answer == Answer::No) {
        EXPECT_EQ(column(kDIV, 7).at(rowOf(kDIV, "PRICE")), QStringLiteral("THEIRS"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChangedBeforeSave,
    ::testing::Values(ChangedCase{"yesWritesTheTypedRow",
                                  Answer::Yes,
                                  grid::CommitOutcome::Stored,
                                  {"D", "4", "MD4", "Price", "8R", "S", "", ""},
                                  "MD4",
                                  false},
                      ChangedCase{"noShowsTheAccountsVersion",
                                  Answer::No,
                                  grid::CommitOutcome::Reread,
                                  {"D", "4", "MD2", "Price", "8R", "S", "THEIRS"},
                                  "MD2",
                                  false},
                      ChangedCase{"cancelKeepsTheRowPending",
                                  Answer::Cancel,
                                  grid::CommitOutcome::Cancelled,
                                  {"D", "4", "MD2", "Price", "8R", "S", "THEIRS"},
                                  "MD2",
                                  true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(AccountChangesTest, anItemDeletedBehindTheProgramLeavesTheViewOnNo) {
    openOrders();
    const int rows = counter(kDIV);
    ASSERT_TRUE(QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/PRICE")));
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}});
    answer({Answer::Yes, Answer::No});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(),
                              "PRICE was deleted in the account after it was read. Write it "
                              "again? | YesNoCancel | Exclamation | Changed in the account"}));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("PRICE")));
    EXPECT_EQ(rowOf(kDIV, "PRICE"), -1);
    EXPECT_EQ(counter(kDIV), rows - 1);
}

// The program's own writes, the compiled form CD stores included, are what the rows
// were read from afterwards: saving again asks nothing more than the first time.
TEST_F(AccountChangesTest, ownWritesAndTheCompiledFormNeverCountAsAChange) {
    openOrders();
    for (const char* formula : {"QTY * PRICE * 2", "QTY * PRICE * 3"}) {
        dialogs.clear();
        type(kDIV, rowOf(kDIV, "TOTAL"), {{2, QString::fromLatin1(formula)}});
        answer({Answer::Yes, Answer::OK, Answer::Yes});
        EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
        ASSERT_EQ(boxes().size(), 3u) << boxes().back();
        EXPECT_EQ(onDisk("TOTAL").at(1), formula);
        EXPECT_GT(onDisk("TOTAL").size(), 8) << "CD stored the compiled form";
    }
    dialogs.clear();
    type(kAS, rowOf(kAS, "ORD.QTY"), {{3, QStringLiteral("Once")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kAS);
    type(kAS, rowOf(kAS, "ORD.QTY"), {{3, QStringLiteral("Twice")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kAS);
    EXPECT_EQ(boxes(),
              (Boxes{saveQuestion(), written("ORD.QTY"), saveQuestion(), written("ORD.QTY")}));
}

TEST_F(AccountChangesTest, deletingAChangedItemAsksAgainAndNoShowsTheAccountsVersion) {
    openOrders();
    changeBehindTheProgram("NEXT", {"X", "200"});
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    answer({Answer::Yes, Answer::No});

    EXPECT_EQ(grid(kOther).DeleteRows(), 0);

    EXPECT_EQ(boxes()[1], changedBox("NEXT", "Delete it anyway?"));
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "200"}));
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT")), QStringLiteral("200"));

    // Asked again, Yes deletes what the account holds now.
    dialogs.clear();
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    changeBehindTheProgram("NEXT", {"X", "300"});
    answer({Answer::Yes, Answer::Yes, Answer::OK});
    EXPECT_EQ(grid(kOther).DeleteRows(), 1);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
}

// A view shows fields 1 to its last column; the rest of the item is kept as the account
// holds it, but for the compiled form of an I or V descriptor saved from the D/I/V view.
// The check before a save cannot read the item (a FIFO stands in its place): nothing is
// written over what cannot be seen, and the row keeps what was typed.
TEST_F(AccountChangesTest, aCheckReadThatFailsWritesNothingAndKeepsTheRow) {
    openOrders();
    const QString price = dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/PRICE");
    ASSERT_TRUE(QFile::remove(price));
    ASSERT_EQ(::mkfifo(QFile::encodeName(price).constData(), 0644), 0);
    type(kDIV, rowOf(kDIV, "PRICE"), {{4, QStringLiteral("Cost")}});
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);

    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("-->Record: PRICE"), std::string::npos) << boxes()[1];
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(price).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the item's place was written over";
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
}

TEST_F(AccountChangesTest, fieldsAfterTheLastColumnAreKeptButACompiledForm) {
    makeOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("WIDE"),
              {"X", "2", "3", "4", "5", "6", "7", "8", "9", "10", "eleven", "twelve"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("LONGD"),
              {"D", "2", "", "", "", "", "", "", "nine", "ten"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("SUM"),
              {"I", "QTY + 1", "", "", "", "", "", "", "old compiled", "form"});
    login();
    open(QStringLiteral("ORDERS"));
    dialogs.clear();

    type(kOther, rowOf(kOther, "WIDE"), {{2, QStringLiteral("two")}});
    type(kDIV, rowOf(kDIV, "LONGD"), {{4, QStringLiteral("Long")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kOther);
    answer({Answer::Yes, Answer::OK});
    leaveRow(kDIV);
    type(kDIV, rowOf(kDIV, "SUM"), {{4, QStringLiteral("Sum")}});
    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);

    EXPECT_EQ(onDisk("WIDE"),
              (Fields{"X", "two", "3", "4", "5", "6", "7", "8", "9", "10", "eleven", "twelve"}));
    EXPECT_EQ(onDisk("LONGD"), (Fields{"D", "2", "", "Long", "", "", "", "", "nine", "ten"}));
    EXPECT_EQ(onDisk("SUM"), (Fields{"I", "QTY + 1", "", "Sum", "", "", "", ""}));
}

}  // namespace

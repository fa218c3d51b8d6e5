// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"

// Nothing the user did not see is written over: a new row whose id exists, an item that
// someone changed after its row was read, and the fields a view does not show.
namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

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
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerReplace(false, &seen));

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kReplaceWindow}));
    EXPECT_EQ(seen.prompt, QStringLiteral("NEXT already exists. Replace it?"));
    EXPECT_EQ(seen.lines, QStringList{QStringLiteral("Field 2 (A2) | 100 | 999")});
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
    answer({Answer::Yes, Answer::OK});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerReplace(true, &seen));

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kReplaceWindow, written("NEXT")}));
    EXPECT_EQ(onDisk("NEXT").mid(0, 3), (Fields{"X", "999", ""}));
    EXPECT_EQ(rowsOf(kOther, "NEXT"), 1);
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT")), QStringLiteral("999"));
    EXPECT_EQ(arrayRows(kOther), rows);
    EXPECT_FALSE(grid(kOther).HasPendingRow());
}

// Another change of the item while the window is open brings the window back with it:
// the answer is always given on what it writes over.
TEST_F(AccountChangesTest, theConflictWindowComesBackWhenTheItemChangesAgainWhileItIsOpen) {
    openOrders();
    type(kDIV, rowOf(kDIV, "QTY"), {{3, QStringLiteral("MD1")}});
    changeBehindTheProgram("QTY", {"D Quantity", "3", "", "Theirs", "5R", "S"});
    answer({Answer::Yes, Answer::OK});
    ConflictSeen first;
    ConflictSeen second;
    dialogs.QueueForm([this, &first](QDialog& form) {
        changeBehindTheProgram("QTY", {"D Quantity", "3", "", "Again", "5R", "S"});
        AnswerConflict("cmdMerge", {}, &first)(form);
    });
    dialogs.QueueForm(AnswerConflict("cmdMerge", {}, &second));

    leaveRow(kDIV);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kConflictWindow, kConflictWindow, written("QTY")}));
    EXPECT_TRUE(first.lines.contains("Field 4 (Column Name) | Qty | Theirs | Qty | them"));
    EXPECT_TRUE(second.lines.contains("Field 4 (Column Name) | Qty | Again | Qty | them"))
        << second.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "MD1", "Again", "5R", "S"}));
}

// The conflict window on a save that meets another session's change: Merge writes both
// changes (a field both changed only once the user picked a side for it), Write mine the
// row as typed, Keep theirs shows the account's version, Cancel keeps the row pending.
struct ConflictCase {
    const char* name;
    QByteArrayList theirs;  // what the other session wrote after the read
    std::vector<std::pair<int, int>> clicks;
    const char* button;
    grid::CommitOutcome outcome;
    QByteArrayList onDisk;  // and the row shows fields 3, 4 and 7 of it
    QStringList lines;
    bool mergeFirst;
    bool stillPending;
};

const QByteArrayList kTheirsInField7{"D", "4", "MD2", "Price", "8R", "S", "THEIRS"};
const QStringList kMergeableLines{"Field 3 (Conv) | MD2 | MD2 | MD4 | you",
                                  "Field 4 (Column Name) | Price | Price | Mine | you",
                                  "Field 7 (Association) | (none) | THEIRS | (none) | them"};

class ConflictOnSave : public AccountChangesTest,
                       public ::testing::WithParamInterface<ConflictCase> {};

TEST_P(ConflictOnSave, showsWhoChangedWhatAndWritesTheAnswer) {
    const ConflictCase& c = GetParam();
    openOrders();
    changeBehindTheProgram("PRICE", c.theirs);
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}, {4, QStringLiteral("Mine")}});
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict(c.button, c.clicks, &seen));
    const bool writes = c.outcome != grid::CommitOutcome::Cancelled && c.onDisk != c.theirs;
    if (writes) {
        dialogs.QueueAnswer(Answer::OK);
    }

    EXPECT_EQ(leaveRow(kDIV), c.outcome);

    ASSERT_GE(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1], kConflictWindow);
    EXPECT_EQ(seen.lines, c.lines);
    EXPECT_EQ(seen.mergeEnabledFirst, c.mergeFirst);
    EXPECT_EQ(seen.mergeEnabledAfterClicks, c.clicks.empty() ? c.mergeFirst : true);
    EXPECT_EQ(boxes().size(), writes ? 3u : 2u);
    EXPECT_EQ(onDisk("PRICE"), c.onDisk);
    EXPECT_EQ(grid(kDIV).HasPendingRow(), c.stillPending);
    if (!c.stillPending) {
        const int row = rowOf(kDIV, "PRICE");
        for (const int field : {3, 4, 7}) {
            EXPECT_EQ(column(kDIV, field).at(row), QString::fromLatin1(c.onDisk.value(field - 1)))
                << "field " << field;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConflictOnSave,
    ::testing::Values(ConflictCase{"mergeWritesBothChanges",
                                   kTheirsInField7,
                                   {},
                                   "cmdMerge",
                                   grid::CommitOutcome::Reread,
                                   {"D", "4", "MD4", "Mine", "8R", "S", "THEIRS"},
                                   kMergeableLines,
                                   true,
                                   false},
                      ConflictCase{"aFieldBothChangedMergesOnceASideIsPicked",
                                   {"D", "4", "MD3", "Price", "8R", "S", "THEIRS"},
                                   {{0, 1}},
                                   "cmdMerge",
                                   grid::CommitOutcome::Reread,
                                   {"D", "4", "MD3", "Mine", "8R", "S", "THEIRS"},
                                   {"Field 3 (Conv) | MD2 | MD3 | MD4 | both: theirs kept",
                                    "Field 4 (Column Name) | Price | Price | Mine | you",
                                    "Field 7 (Association) | (none) | THEIRS | (none) | them"},
                                   false,
                                   false},
                      ConflictCase{"writeMineWritesTheTypedRow",
                                   kTheirsInField7,
                                   {},
                                   "cmdWriteMine",
                                   grid::CommitOutcome::Stored,
                                   {"D", "4", "MD4", "Mine", "8R", "S", "", ""},
                                   kMergeableLines,
                                   true,
                                   false},
                      ConflictCase{"keepTheirsShowsTheAccountsVersion",
                                   kTheirsInField7,
                                   {},
                                   "cmdKeepTheirs",
                                   grid::CommitOutcome::Reread,
                                   kTheirsInField7,
                                   kMergeableLines,
                                   true,
                                   false},
                      ConflictCase{"cancelKeepsTheRowPending",
                                   kTheirsInField7,
                                   {},
                                   "cmdCancel",
                                   grid::CommitOutcome::Cancelled,
                                   kTheirsInField7,
                                   kMergeableLines,
                                   true,
                                   true}),
    [](const auto& test) { return std::string(test.param.name); });

// Two fields both changed, settled by keys: Enter and Space pick a side, Tab reaches Merge.
TEST_F(AccountChangesTest, twoFieldsBothChangedAreSettledByKeyboard) {
    openOrders();
    changeBehindTheProgram("PRICE", {"D", "4", "MD3", "Theirs", "8R", "S"});
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}, {4, QStringLiteral("Mine")}});
    answer({Answer::Yes, Answer::OK});
    dialogs.QueueForm([](QDialog& form) {
        QApplication::setActiveWindow(&form);
        form.findChild<QTableWidget*>(QStringLiteral("tblFields"))->setFocus();
        for (const auto key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Right, Qt::Key_Space,
                               Qt::Key_Tab, Qt::Key_Space}) {
            QTest::keyClick(form.focusWidget(), key);
        }
    });
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD3", "Mine", "8R", "S"}));
}

TEST_F(AccountChangesTest, anItemDeletedBehindTheProgramCannotMergeAndKeepTheirsDropsTheRow) {
    openOrders();
    const int rows = counter(kDIV);
    ASSERT_TRUE(QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/PRICE")));
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}});
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {{0, 2}}, &seen));

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), kConflictWindow}));
    EXPECT_TRUE(seen.prompt.startsWith(
        QStringLiteral("PRICE was deleted in the account after it was read.")));
    EXPECT_FALSE(seen.mergeEnabledFirst);
    EXPECT_FALSE(seen.mergeEnabledAfterClicks) << "a click picks no side of a deleted item";
    EXPECT_EQ(seen.lines.at(2), QStringLiteral("Field 3 (Conv) | MD2 | (none) | MD4 | both"));
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

// Another save of the item that only added empty fields at its end (a view writes its
// fields 1 to N) is no change of it: no window, and the row's bytes are written.
TEST_F(AccountChangesTest, emptyFieldsAddedAtTheEndAreNoChangeOfTheItem) {
    openOrders();
    const Fields padded{"X", "100", "", "", "", "", "", "", "", ""};
    changeBehindTheProgram("NEXT", padded);
    type(kOther, rowOf(kOther, "NEXT"), {{2, QStringLiteral("200")}});
    answer({Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kOther), grid::CommitOutcome::Stored);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("NEXT")}));
    Fields typed = padded;
    typed[1] = "200";
    EXPECT_EQ(onDisk("NEXT"), typed);
}

TEST_F(AccountChangesTest, deletingAChangedItemShowsTheWindowAndKeepTheirsShowsTheAccount) {
    openOrders();
    changeBehindTheProgram("NEXT", {"X", "200"});
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {}, &seen));

    EXPECT_EQ(grid(kOther).DeleteRows(), 0);

    EXPECT_EQ(boxes()[1], kConflictWindow);
    EXPECT_EQ(seen.lines, (QStringList{"Field 1 (Type) | X | X | (none) | you",
                                       "Field 2 (A2) | 100 | 200 | (none) | both"}));
    EXPECT_FALSE(seen.mergeEnabledFirst);
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "200"}));
    EXPECT_EQ(column(kOther, 2).at(rowOf(kOther, "NEXT")), QStringLiteral("200"));

    // Again, and Delete anyway deletes what the account holds now.
    dialogs.clear();
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    changeBehindTheProgram("NEXT", {"X", "300"});
    answer({Answer::Yes});
    dialogs.QueueForm(AnswerConflict("cmdWriteMine", {}, &seen));
    answer({Answer::OK});
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

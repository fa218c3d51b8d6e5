// SPDX-License-Identifier: MIT
#include <optional>

#include "dictionary/ChangeJournal.h"
#include "platform/mv/LockHolder.h"
#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"
#include "tests/remote/TestBackend.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

class UndoTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        // Each test keeps its journals to itself: a server names its accounts alike.
        qputenv("XDG_DATA_HOME", QFile::encodeName(programDir.filePath(QStringLiteral("data"))));
    }

    // Types the cell of the item's row and leaves the row, saying Yes to "Save?".
    void save(int view, const char* id, int column, const QString& text) {
        type(view, rowOf(view, id), {{column, text}});
        answer({Answer::Yes, Answer::OK});
        leaveRow(view);
        ASSERT_TRUE(dialogs.allAnswersUsed());
        dialogs.clear();
    }
    void deleteRow(int view, const char* id) {
        grid(view).SetHighlightedRows({rowOf(view, id)});
        answer({Answer::Yes, Answer::OK});
        ASSERT_EQ(grid(view).DeleteRows(), 1);
        dialogs.clear();
    }
    QString cell(int view, const char* id, int column) const {
        const int row = rowOf(view, id);
        return row < 0 ? QStringLiteral("<no row>") : this->column(view, column).at(row);
    }

    const Fields kQty{"D Quantity", "3", "", "Qty", "5R", "S"};
};

TEST_F(UndoTest, undoAndRedoOfASaveWriteEachVersionBackAndShowIt) {
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    const Fields saved = onDisk("QTY");
    ASSERT_NE(saved, kQty);
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of QTY"));
    EXPECT_EQ(editing.RedoText(), QString());

    // The journal holds the bytes before and after.
    const auto& entries = Dictionary().journal->SessionEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].before, kQty.join('\xFE').toStdString());
    EXPECT_EQ(entries[0].after, saved.join('\xFE').toStdString());

    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
    EXPECT_EQ(cell(kDIV, "QTY", 3), QString());
    EXPECT_EQ(boxes(), Boxes{}) << "an undo of the program's own write asks nothing";
    EXPECT_EQ(editing.UndoText(), QString());
    EXPECT_EQ(editing.RedoText(), QStringLiteral("Redo save of QTY"));
    EXPECT_EQ(screen.Status(), QStringLiteral("Undone: save of QTY"));

    EXPECT_TRUE(editing.Redo());
    EXPECT_EQ(onDisk("QTY"), saved);
    EXPECT_EQ(cell(kDIV, "QTY", 3), QStringLiteral("MD0"));
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of QTY"));

    // The rows count as read: the next save asks only "Save?".
    save(kDIV, "QTY", 4, QStringLiteral("Quantity"));
    EXPECT_EQ(onDisk("QTY")[3], "Quantity");
    // A new change ends what could be redone; the undos go back one by one.
    EXPECT_TRUE(editing.Undo());
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
    save(kDIV, "PRICE", 4, QStringLiteral("Cost"));
    EXPECT_EQ(editing.RedoText(), QString());
    EXPECT_FALSE(editing.Redo());
    EXPECT_EQ(dialogs.beeps(), 1);
}

// The compiled form that the compile after a save, or Compile All, wrote is nobody's
// change: the undo and the redo ask nothing.
TEST_F(UndoTest, theCompiledFormKelvoraWroteCountsAsNoChange) {
    openOrders();
    type(kDIV, rowOf(kDIV, "TOTAL"), {{4, QStringLiteral("Sum")}});
    answer({Answer::Yes, Answer::OK, Answer::Yes});
    leaveRow(kDIV);
    ASSERT_GT(onDisk("TOTAL").size(), 8) << "compiled";
    editing.CompileAll();
    dialogs.clear();
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("TOTAL").mid(0, 6), (Fields{"I", "QTY * PRICE", "MD2", "Total", "10R", "S"}));
    editing.CompileAll();
    EXPECT_TRUE(editing.Redo());
    EXPECT_EQ(onDisk("TOTAL")[3], "Sum");
    EXPECT_EQ(boxes(), Boxes{});
}

TEST_F(UndoTest, undoOfADeleteWritesTheItemBackAndShowsItsRowRedoDeletesItAgain) {
    openOrders();
    deleteRow(kOther, "NEXT");
    ASSERT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo delete of NEXT"));

    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("NEXT"), (Fields{"X", "100"}));
    EXPECT_EQ(cell(kOther, "NEXT", 1), QStringLiteral("X"));
    EXPECT_EQ(counter(kOther), arrayRows(kOther));

    EXPECT_TRUE(editing.Redo());
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
    EXPECT_EQ(rowOf(kOther, "NEXT"), -1);
    EXPECT_EQ(boxes(), Boxes{});
}

TEST_F(UndoTest, undoOfACopyRemovesTheCopyOrPutsBackTheItemItReplaced) {
    openOrders(/*withPhrase=*/false);
    const Fields price = onDisk("PRICE");
    const auto copyTotalTo = [this](const QString& name, std::initializer_list<Answer> answers) {
        type(kDIV, rowOf(kDIV, "TOTAL"), {{0, QStringLiteral("TYPED")}});
        dialogs.QueueInput(name);
        answer(answers);
        leaveRow(kDIV);
        ASSERT_TRUE(dialogs.allAnswersUsed()) << boxes().size();
        dialogs.clear();
    };
    // Save, written, no compile.
    copyTotalTo(QStringLiteral("TOTAL2"), {Answer::Yes, Answer::OK, Answer::No});
    ASSERT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("TOTAL2")));
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo copy to TOTAL2"));
    EXPECT_TRUE(editing.Undo());
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("TOTAL2")));
    EXPECT_EQ(rowOf(kDIV, "TOTAL2"), -1);

    // Replace, save, written, no compile.
    ConflictSeen replace;
    dialogs.QueueForm(AnswerReplace(true, &replace));
    copyTotalTo(QStringLiteral("PRICE"), {Answer::Yes, Answer::OK, Answer::No});
    ASSERT_EQ(onDisk("PRICE")[0], "I");
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("PRICE"), price);
    EXPECT_EQ(cell(kDIV, "PRICE", 1), QStringLiteral("D"));
}

TEST_F(UndoTest, anItemChangedBehindTheProgramIsWrittenOverOnlyWhenTheUserSaysSo) {
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "3", "MD9"});

    // Keep theirs: the rows show the account's version, the undo stays to be done. The
    // window sets what the save wrote against the account and what the undo would write.
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {}, &seen));
    EXPECT_FALSE(editing.Undo());
    EXPECT_EQ(boxes(), Boxes{kConflictWindow});
    EXPECT_EQ(seen.lines.value(1),
              QStringLiteral("Field 3 (Conv) | MD0 | MD9 |  | both: click the version to keep"));
    EXPECT_FALSE(seen.mergeEnabledFirst);
    EXPECT_EQ(onDisk("QTY"), (Fields{"D", "3", "MD9"}));
    EXPECT_EQ(cell(kDIV, "QTY", 3), QStringLiteral("MD9"));
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of QTY"));
    dialogs.clear();

    // Cancel: nothing at all.
    dialogs.QueueForm(AnswerConflict("cmdCancel", {}, &seen));
    EXPECT_FALSE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), (Fields{"D", "3", "MD9"}));
    dialogs.clear();

    dialogs.QueueForm(AnswerConflict("cmdWriteMine", {}, &seen));
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(boxes(), Boxes{kConflictWindow});
    EXPECT_EQ(onDisk("QTY"), kQty);
}

TEST_F(UndoTest, aPendingRowIsSettledFirstAndTheUndoGoesNoFurther) {
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    type(kDIV, rowOf(kDIV, "PRICE"), {{4, QStringLiteral("Typed")}});

    // No to "Save?" drops the typing, which was what the user wanted undone.
    answer({Answer::No});
    EXPECT_FALSE(editing.Undo());
    EXPECT_EQ(boxes(), Boxes{saveQuestion()});
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
    EXPECT_NE(onDisk("QTY"), kQty) << "the saved change is undone only by the next undo";
    EXPECT_TRUE(screen.Status().contains(QStringLiteral("settled first")));
    dialogs.clear();

    // A row that cannot be settled (no item id) refuses the undo.
    typeNewRow(kDIV, {{1, QStringLiteral("D")}});
    answer({Answer::Yes, Answer::OK, Answer::OK});
    EXPECT_FALSE(editing.Undo());
    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_TRUE(boxes()[2].starts_with("A changed row in the tab")) << boxes()[2];
    EXPECT_TRUE(grid(kDIV).HasPendingRow()) << "never dropped silently";
    EXPECT_NE(onDisk("QTY"), kQty);
    grid(kDIV).CancelRow();
    dialogs.clear();

    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
}

TEST_F(UndoTest, theChangesOfAnotherFileWaitUntilItIsOpenAgain) {
    makeDictionary(QStringLiteral("INVOICES"));
    writeItem(QStringLiteral("INVOICES"), QStringLiteral("AMOUNT"), {"D", "1"});
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));

    answer({Answer::OK});  // "@EMPTY.NULL added"
    open(QStringLiteral("INVOICES"));
    dialogs.clear();
    EXPECT_EQ(editing.UndoText(), QString());
    EXPECT_FALSE(editing.Undo());
    EXPECT_EQ(screen.Status(),
              QStringLiteral("Nothing to undo in INVOICES. The last change to undo is the save "
                             "of QTY in ORDERS: open ORDERS to undo it."));
    EXPECT_NE(onDisk("QTY"), kQty);

    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of QTY"));
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
}

TEST_F(UndoTest, historyListsTheVersionsOfEveryRunAndRestoresTheChosenOne) {
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    save(kDIV, "QTY", 3, QStringLiteral("MD1"));
    // Another run of the program: a journal of its own, reading the same file.
    Dictionary().journal.reset();
    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    save(kDIV, "PRICE", 4, QStringLiteral("Cost"));

    grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY"));
    dialogs.QueueChoice(2);
    editing.ShowHistory(kDIV);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& list = dialogs.shown()[0];
    EXPECT_EQ(list.title, QStringLiteral("History of QTY"));
    EXPECT_EQ(list.action, QStringLiteral("Restore"));
    ASSERT_EQ(list.entries.size(), 3);
    EXPECT_TRUE(list.entries[0].contains(QStringLiteral("  saved: D Quantity | 3 | MD1")))
        << list.entries[0].toStdString();
    EXPECT_TRUE(list.entries[1].contains(QStringLiteral("  saved: D Quantity | 3 | MD0")));
    EXPECT_TRUE(list.entries[2].contains(QStringLiteral("before that: as it was: D Quantity")));
    EXPECT_EQ(onDisk("QTY"), kQty);
    EXPECT_EQ(cell(kDIV, "QTY", 3), QString());
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo restore of QTY"));
    dialogs.clear();

    // The restore is a version too; an item changed behind the program is asked about.
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "3", "MD9"});
    grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY"));
    dialogs.QueueChoice(1);
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdWriteMine", {}, &seen));
    editing.ShowHistory(kDIV);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(dialogs.shown()[0].entries[0].contains(QStringLiteral("saved by a restore")));
    EXPECT_EQ(boxes()[1], kConflictWindow);
    EXPECT_EQ(onDisk("QTY")[2], "MD1");
    dialogs.clear();

    // An item without recorded changes says so.
    grid(kDIV).SetCurrentRow(rowOf(kDIV, "TOTAL"));
    answer({Answer::OK});
    editing.ShowHistory(kDIV);
    EXPECT_EQ(boxes(), Boxes{"No change of TOTAL is recorded in this account's journal. | OK | "
                             "Information | History of TOTAL"});
}

// A version shows its marks as everything else does, and each change lists the fields it
// changed as kelvora-cmd diff prints them.
TEST_F(UndoTest, historyShowsMarksAsLabelsAndTheFieldsEachChangeChanged) {
    openOrders();
    save(kDIV, "QTY", 4, QStringLiteral("Qty\u00FDQuantity"));

    grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY"));
    dialogs.QueueChoice(std::nullopt);
    editing.ShowHistory(kDIV);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const QStringList& lines = dialogs.shown()[0].entries;
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].mid(19),
              QStringLiteral("  saved: D Quantity | 3 |  | Qty[VM]Quantity | 5R | S |  | \n"
                             "  field 4 (Column Name): \"Qty\" -> \"Qty[VM]Quantity\"") +
                  (testbackend::IsRemote()
                       ? QString()  // the login of the tests names nobody
                       : QStringLiteral("\n  by ") + QString::fromStdString(mv::LoginName())));
    EXPECT_EQ(lines[1].mid(19),
              QStringLiteral("  before that: as it was: D Quantity | 3 |  | Qty | 5R | S"));
}

// Only what reached the account is a version it held: a change the account refused, or
// one whose answer never came, is no line of the history.
TEST_F(UndoTest, historyListsOnlyTheChangesThatReachedTheAccount) {
    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    dictionary::ChangeJournal& journal = *Dictionary().journal;
    const std::string qty = kQty.join('\xFE').toStdString();
    const std::uint64_t refused =
        journal.Begin(dictionary::ChangeOrigin::Edit, "ORDERS", "QTY", qty,
                      std::string("D\xFE"
                                  "REFUSED"));
    journal.Finish(refused, dictionary::ChangeOutcome::Failed);
    journal.Begin(dictionary::ChangeOrigin::Edit, "ORDERS", "QTY", qty,
                  std::string("D\xFE"
                              "UNANSWERED"));

    grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY"));
    dialogs.QueueChoice(std::nullopt);
    editing.ShowHistory(kDIV);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const QStringList& lines = dialogs.shown()[0].entries;
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("saved: D Quantity | 3 | MD0")));
    EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("REFUSED")));
    EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("UNANSWERED")));
}

TEST_F(UndoTest, aDeletedItemIsChosenFromTheJournalAndRestoredFromItsHistory) {
    openOrders();
    save(kAS, "ORD.QTY", 3, QStringLiteral("Once"));
    deleteRow(kAS, "ORD.QTY");
    deleteRow(kOther, "NEXT");
    dialogs.QueueChoice(1);  // ORD.QTY, deleted before NEXT
    dialogs.QueueChoice(1);  // its version saved with "Once"
    answer({Answer::OK});    // the dictionary read again, for the row

    editing.ShowDeletedHistory();

    ASSERT_GE(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("History of a deleted item"));
    EXPECT_EQ(dialogs.shown()[0].entries,
              (QStringList{QStringLiteral("NEXT"), QStringLiteral("ORD.QTY")}));
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("History of ORD.QTY"));
    EXPECT_EQ(onDisk("ORD.QTY").value(2), "Once");
    EXPECT_GE(rowOf(kAS, "ORD.QTY"), 0);
    dialogs.clear();

    // Restored, it is no deleted item any more.
    dialogs.QueueChoice(std::nullopt);
    editing.ShowDeletedHistory();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].entries, QStringList{QStringLiteral("NEXT")});
}

TEST_F(UndoTest, eachItemAChildTableWroteIsUndoneOnItsOwn) {
    openOrders(/*withPhrase=*/false);
    const Fields price = onDisk("PRICE");
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "QTY"), rowOf(kDIV, "PRICE")});
    dialogs.QueueInput(QStringLiteral("ITEMS"));
    answer({Answer::OK, Answer::OK});  // both are single-valued; "PH descriptor ITEMS written"
    editing::RunGuarded(vars.dialogs, [this] { tools.cmdMakeChild_Click(); });
    ASSERT_TRUE(dialogs.allAnswersUsed());
    ASSERT_EQ(onDisk("PRICE").value(6), "ITEMS");
    dialogs.clear();

    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of PRICE"));
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("PRICE"), price);
    EXPECT_EQ(cell(kDIV, "PRICE", 7), QString());
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of ITEMS"));
    EXPECT_TRUE(editing.Undo());
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("ITEMS")));
    EXPECT_EQ(rowOf(kPH, "ITEMS"), -1);
    EXPECT_FALSE(phraseEntries().contains(QStringLiteral("ITEMS")));
    EXPECT_EQ(boxes(), Boxes{});
}

TEST_F(UndoTest, aJournalFolderThatCannotBeWrittenStopsNeitherSavesNorUndo) {
    // A plain file where the data folder of the program should be.
    const QString data = programDir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    QFile blocker(data + QStringLiteral("/kelvora"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // And one where a local account keeps its journal.
    QFile accountBlocker(account() + QStringLiteral("/.kelvora-journal"));
    ASSERT_TRUE(accountBlocker.open(QIODevice::WriteOnly));
    accountBlocker.close();

    openOrders();
    save(kDIV, "QTY", 3, QStringLiteral("MD0"));
    EXPECT_EQ(onDisk("QTY")[2], "MD0");
    EXPECT_FALSE(Dictionary().journal->Problem().isEmpty());
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of QTY"));
    EXPECT_TRUE(
        screen.Status().startsWith(QStringLiteral("The journal of changes cannot be written")))
        << screen.Status().toStdString();
    EXPECT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
}

}  // namespace

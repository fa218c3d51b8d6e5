// SPDX-License-Identifier: MIT
#include <optional>

#include "connection/TextBridge.h"
#include "platform/mv/Session.h"
#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

const std::string kCopyInput =
    "input: If you want to save this attribute under a new name, enter the new Attribute "
    "Name | Copying Attribute";
// Copying an item that others use names them first.
std::string usedByQuestion(const std::string& id, const std::string& users,
                           const std::string& name) {
    return id + " is used by " + users + ". They will go on using " + id + ", not " + name +
           ". Copy it under the new name? | YesNo | Exclamation | Kelvora";
}
const std::string kCompileQuestion =
    "Do you want to compile the I-descriptor now? | YesNo | None | Compile necessary!";

class CopyTest : public EditingFixture {
protected:
    // Overtypes the id of row `id` of the D/I/V view and leaves the row from column 0.
    grid::CommitOutcome copyRow(const char* id, std::optional<QString> newName,
                                const std::vector<std::pair<int, QString>>& changes = {}) {
        auto cells = changes;
        cells.emplace_back(0, QStringLiteral("TYPED.IN.CELL"));
        type(kDIV, rowOf(kDIV, id), cells);
        dialogs.QueueInput(std::move(newName));
        return leaveRow(kDIV);
    }
    QString lastCommand() const { return TextBridge::ToText(vars.session->Command().Text()); }
};

TEST_F(CopyTest, writesTheRowsFieldsUnderTheTypedNameAndReadsTheDictionaryAgain) {
    openOrders();
    answer({Answer::Yes, Answer::Yes, Answer::OK});

    EXPECT_EQ(copyRow("QTY", QStringLiteral("COPY1"), {{3, QStringLiteral("MD0")}}),
              grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(),
              (Boxes{kCopyInput, usedByQuestion("QTY", "TOTAL and the phrase LINES", "COPY1"),
                     saveQuestion(), written("COPY1")}));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, Answer::No);
    EXPECT_EQ(onDisk("COPY1"), (Fields{"D Quantity", "3", "MD0", "Qty", "5R", "S", "", ""}));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "", "Qty", "5R", "S"}));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("TYPED.IN.CELL")));
    // Read again, in the server's order: the copy is shown, the source as stored.
    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("COPY1"),
                                            QStringLiteral("QTY"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(column(kDIV, 3).at(rowOf(kDIV, "QTY")), QString());
    EXPECT_EQ(counter(kDIV), 4);
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

TEST_F(CopyTest, aNewRowLeftFromItsIdColumnIsCopiedUnderTheTypedName) {
    openOrders();
    typeNewRow(
        kDIV, {{1, QStringLiteral("D")}, {2, QStringLiteral("7")}, {0, QStringLiteral("IGNORED")}});
    dialogs.QueueInput(QStringLiteral("CODE"));
    answer({Answer::Yes, Answer::OK});

    leaveRow(kDIV);

    EXPECT_EQ(onDisk("CODE"), (Fields{"D", "7", "", "", "", "", "", ""}));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("IGNORED")));
    EXPECT_TRUE(column(kDIV, 0).contains(QStringLiteral("CODE")));
}

// Cancel, an empty name and No to "Save?" all drop the typed change and write nothing.
struct DroppedCopy {
    const char* name;
    std::optional<QString> input;
    std::vector<Answer> answers;
    size_t boxesShown;
    bool cancelReplace = false;  // the name exists: Cancel in the replace window
};

class DroppedCopyTest : public CopyTest, public ::testing::WithParamInterface<DroppedCopy> {};

TEST_P(DroppedCopyTest, writesNothingAndShowsTheStoredRowAgain) {
    openOrders();
    const QStringList items = QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files);
    for (const Answer a : GetParam().answers) {
        dialogs.QueueAnswer(a);
    }
    ConflictSeen replace;
    if (GetParam().cancelReplace) {
        dialogs.QueueForm(AnswerReplace(false, &replace));
    }

    EXPECT_EQ(copyRow("PRICE", GetParam().input, {{3, QStringLiteral("MD4")}}),
              grid::CommitOutcome::Reread);

    EXPECT_EQ(dialogs.shown().size(), GetParam().boxesShown);
    EXPECT_EQ(QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files), items);
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));
    EXPECT_EQ(grid(kDIV).Model()->CellText(rowOf(kDIV, "PRICE"), 3), QStringLiteral("MD2"));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DroppedCopyTest,
    ::testing::Values(DroppedCopy{"cancel", std::nullopt, {}, 1},
                      DroppedCopy{"empty", QString(), {}, 1},
                      DroppedCopy{"usedByNo", QStringLiteral("COPY2"), {Answer::No}, 2},
                      DroppedCopy{"saveNo", QStringLiteral("COPY2"), {Answer::Yes, Answer::No}, 3},
                      DroppedCopy{"replaceNo", QStringLiteral("QTY"), {}, 2, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(CopyTest, anExistingNameIsReplacedWholeOnlyAfterAsking) {
    openOrders();
    answer({Answer::Yes, Answer::Yes, Answer::OK});
    ConflictSeen replace;
    dialogs.QueueForm(AnswerReplace(true, &replace));

    copyRow("PRICE", QStringLiteral("QTY"));

    EXPECT_EQ(boxes(), (Boxes{kCopyInput, kReplaceWindow,
                              usedByQuestion("PRICE", "TOTAL and the phrase LINES", "QTY"),
                              saveQuestion(), written("QTY")}));
    EXPECT_EQ(replace.lines.value(0), QStringLiteral("Field 1 (Type) | D Quantity | D"));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D", "4", "MD2", "Price", "8R", "S", "", ""}));
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));
}

// A row left pending in another grid stops the dictionary being read again after the
// copy; the rows of the item the copy replaced still show what it now holds, and the next
// save of it does not take the copy for someone else's change.
TEST_F(CopyTest, anItemReplacedWhileAnotherRowStaysPendingIsShownAsWritten) {
    openOrders();
    typeNewRow(kAS, {{1, QStringLiteral("A")}});  // no item id: the row cannot be stored
    answer({Answer::Yes, Answer::Yes, Answer::Yes, Answer::OK, Answer::OK});
    ConflictSeen replace;
    dialogs.QueueForm(AnswerReplace(true, &replace));

    EXPECT_EQ(copyRow("QTY", QStringLiteral("PRICE"), {{3, QStringLiteral("MD3")}}),
              grid::CommitOutcome::Reread);

    EXPECT_TRUE(grid(kAS).HasPendingRow());
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D Quantity", "3", "MD3", "Qty", "5R", "S", "", ""}));
    const int price = rowOf(kDIV, "PRICE");
    ASSERT_GE(price, 0);
    EXPECT_EQ(column(kDIV, 1).at(price), QStringLiteral("D Quantity"));
    EXPECT_EQ(column(kDIV, 3).at(price), QStringLiteral("MD3"));
    EXPECT_EQ(column(kDIV, 3).at(rowOf(kDIV, "QTY")), QString());

    dialogs.clear();
    type(kDIV, price, {{4, QStringLiteral("Cost")}});
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("PRICE")}));
    EXPECT_EQ(onDisk("PRICE").at(3), "Cost");
}

// Copying onto a name whose row was read, after someone changed that item: the user sees
// that it changed, not only that it exists.
TEST_F(CopyTest, copyingOntoAnItemChangedSinceItWasReadAsksAboutTheChange) {
    openOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "3", "", "Theirs"});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {}, &seen));

    EXPECT_EQ(copyRow("PRICE", QStringLiteral("QTY")), grid::CommitOutcome::Reread);

    EXPECT_EQ(boxes(), (Boxes{kCopyInput, kConflictWindow}));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D", "3", "", "Theirs"}));
    EXPECT_EQ(column(kDIV, 4).at(rowOf(kDIV, "QTY")), QStringLiteral("Theirs"));
    EXPECT_EQ(column(kDIV, 0).at(rowOf(kDIV, "PRICE")), QStringLiteral("PRICE"));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

// Reading the dictionary again after a refused write would lose what was typed: the row
// stays pending, as after a refused save, so the user can correct it and leave it again.
TEST_F(CopyTest, aRefusedWriteKeepsTheTypedRowPendingAndNamesTheNewItem) {
    openOrders();
    answer({Answer::Yes, Answer::Yes, Answer::OK});

    EXPECT_EQ(copyRow("QTY", QStringLiteral("COPY3"), {{4, QStringLiteral("two\nlines")}}),
              grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(),
              (Boxes{kCopyInput, usedByQuestion("QTY", "TOTAL and the phrase LINES", "COPY3"),
                     saveQuestion(), serverError(kLineFeedRefused, "ORDERS", "COPY3")}));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("COPY3")));
    ASSERT_TRUE(grid(kDIV).HasPendingRow());
    grid(kDIV).SetCol(4);
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("two\nlines"));
    EXPECT_EQ(column(kDIV, 4).at(rowOf(kDIV, "QTY")), QStringLiteral("Qty"));

    // Corrected and left again, the copy goes through.
    grid(kDIV).SetText(QStringLiteral("two lines"));
    grid(kDIV).SetCol(0);
    dialogs.clear();
    dialogs.QueueInput(QStringLiteral("COPY3"));
    answer({Answer::Yes, Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);
    EXPECT_EQ(onDisk("COPY3").at(3), "two lines");
}

TEST_F(CopyTest, aNameNoItemIdCanHoldKeepsTheRowPendingForAnotherTry) {
    openOrders();
    const QStringList items = QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files);
    answer({Answer::OK});

    EXPECT_EQ(copyRow("QTY", QStringLiteral("\u20AC.PRICE")), grid::CommitOutcome::Cancelled);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, ui::Icon::Exclamation);
    EXPECT_TRUE(dialogs.shown()[1].prompt.startsWith(QStringLiteral("The name \u20AC.PRICE")));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files), items);
}

TEST_F(CopyTest, copyingAnIDescriptorOffersToCompileTheCopy) {
    openOrders();
    answer({Answer::Yes, Answer::Yes, Answer::OK, Answer::No});

    copyRow("TOTAL", QStringLiteral("TOTAL2"));

    EXPECT_EQ(boxes(), (Boxes{kCopyInput, usedByQuestion("TOTAL", "the phrase LINES", "TOTAL2"),
                              saveQuestion(), written("TOTAL2"), kCompileQuestion}));
    EXPECT_TRUE(lastCommand().startsWith(QStringLiteral("SSELECT")));  // nothing was sent
}

// The offer after a save depends on field 1 being exactly "I" or "V".
struct TypeCell {
    const char* type;
    bool offered;
};

class CompileOfferByType : public EditingFixture, public ::testing::WithParamInterface<TypeCell> {};

TEST_P(CompileOfferByType, followsTheWholeTypeCellCaseSensitively) {
    openOrders();
    type(kDIV, rowOf(kDIV, "TOTAL"),
         {{1, QString::fromLatin1(GetParam().type)}, {4, QStringLiteral("Sum")}});
    answer({Answer::Yes, Answer::OK});
    if (GetParam().offered) {
        dialogs.QueueAnswer(Answer::No);
    }

    leaveRow(kDIV);

    Boxes expected{saveQuestion(), written("TOTAL")};
    if (GetParam().offered) {
        expected.push_back(kCompileQuestion);
    }
    EXPECT_EQ(boxes(), expected);
    EXPECT_TRUE(screen.CompileAnswer().isEmpty());
}

std::string TypeCellName(const ::testing::TestParamInfo<TypeCell>& test) {
    static const char* const names[] = {"I", "V", "D", "lowerI", "IWithText", "IBlank"};
    return names[test.index];
}

INSTANTIATE_TEST_SUITE_P(Types, CompileOfferByType,
                         ::testing::Values(TypeCell{"I", true}, TypeCell{"V", true},
                                           TypeCell{"D", false}, TypeCell{"i", false},
                                           TypeCell{"I total", false}, TypeCell{"I ", false}),
                         TypeCellName);

// The item was written to the open dictionary: compiling another file's item of that
// name would report on the wrong one.
TEST_F(CopyTest, theCompileCommandNamesTheOpenFileWhateverTheBoxHolds) {
    openOrders();
    screen.SetFileNameText(QStringLiteral("INVOICES"));  // changed, not opened
    type(kDIV, rowOf(kDIV, "TOTAL"), {{4, QStringLiteral("Sum")}});
    answer({Answer::Yes, Answer::OK, Answer::Yes});

    leaveRow(kDIV);

    EXPECT_EQ(lastCommand(), QStringLiteral("CD ORDERS TOTAL"));
    EXPECT_EQ(vars.session->Command().Error(), 0);
    EXPECT_EQ(boxes().size(), 3u);
    EXPECT_FALSE(screen.CompileAnswer().isEmpty());
    EXPECT_EQ(onDisk("TOTAL").at(3), "Sum");

    // The answer is about ORDERS: opening another file hides it.
    makeDictionary(QStringLiteral("INVOICES"));
    answer({Answer::OK});  // the @EMPTY.NULL item it lacks is added
    open(QStringLiteral("INVOICES"));
    EXPECT_TRUE(screen.CompileAnswer().isEmpty());
}

}  // namespace

namespace {

// A command that settles a row whose current cell is its id saves it under its own id:
// the copy offer belongs to leaving the row by moving in the grid. In every view, also
// those that refuse a row left from its id column.
struct SettlingCommand {
    const char* name;
    int view;
    const char* id;
    int column;
    std::vector<Answer> answers;  // after the command's own question, if any
};

class SettlingCommandTest : public CopyTest, public ::testing::WithParamInterface<SettlingCommand> {
protected:
    void run(const std::string& command) {
        if (command == "saveRow") {
            grid(GetParam().view).CommitRow();
        } else if (command == "exit") {
            EXPECT_TRUE(editing.SettleBeforeClose());
        } else {
            editing.OpenAfterSettling();
        }
    }
};

TEST_P(SettlingCommandTest, savesTheRowUnderItsOwnIdWithoutTheCopyOffer) {
    const SettlingCommand& c = GetParam();
    openOrders();
    type(c.view, rowOf(c.view, c.id), {{c.column, QStringLiteral("Typed")}});
    grid(c.view).SetCol(0);
    for (const Answer a : c.answers) {
        dialogs.QueueAnswer(a);
    }
    const std::string name = c.name;
    run(name.substr(0, name.find('_')));

    EXPECT_EQ(boxes().back(), written(c.id));
    EXPECT_EQ(onDisk(c.id).at(c.column - 1), "Typed");
    EXPECT_FALSE(grid(c.view).HasPendingRow());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SettlingCommandTest,
    ::testing::Values(SettlingCommand{"saveRow_DIV", 2, "QTY", 4, {Answer::Yes, Answer::OK}},
                      SettlingCommand{"saveRow_AS", 0, "ORD.QTY", 3, {Answer::Yes, Answer::OK}},
                      SettlingCommand{"saveRow_Other", 3, "NEXT", 2, {Answer::Yes, Answer::OK}},
                      SettlingCommand{
                          "exit_DIV", 2, "PRICE", 4, {Answer::Yes, Answer::Yes, Answer::OK}},
                      SettlingCommand{"open_DIV", 2, "QTY", 4, {Answer::Yes, Answer::OK}}),
    [](const auto& test) { return std::string(test.param.name); });

// An id overtyped in the D/I/V view still meets the copy offer from a command, but a
// cancelled name keeps the row with everything typed, and the command stops: Exit leaves
// the window open. Edit > Copy As... copies the current row of any view, pending or not.
TEST_F(CopyTest, aCommandsCopyOfferCancelledKeepsTheRowAndCopyAsCopiesAnyRow) {
    openOrders();
    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Amount")}, {0, QStringLiteral("QTY2")}});
    dialogs.QueueAnswer(Answer::Yes);  // "Save them before closing?"
    dialogs.QueueInput(std::nullopt);
    EXPECT_FALSE(editing.SettleBeforeClose());
    EXPECT_EQ(boxes().back(), kCopyInput);
    ASSERT_TRUE(grid(kDIV).HasPendingRow());
    grid(kDIV).SetCol(4);
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("Amount"));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "", "Qty", "5R", "S"}));

    // Copy As on the pending row: Cancel keeps it; a name writes the typed row.
    dialogs.clear();
    dialogs.QueueInput(std::nullopt);
    editing.CopyAs(kDIV);
    EXPECT_EQ(boxes(), (Boxes{"input: Copy QTY as: enter the new item id | Copy As"}));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    dialogs.QueueInput(QStringLiteral("AMOUNT"));
    answer({Answer::Yes, Answer::Yes, Answer::OK});
    editing.CopyAs(kDIV);
    EXPECT_EQ(onDisk("AMOUNT"), (Fields{"D Quantity", "3", "", "Amount", "5R", "S", "", ""}));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "", "Qty", "5R", "S"}));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());

    // A row of the Other view that is not pending: its ten fields under the new name.
    grid(kOther).SetCurrentRow(rowOf(kOther, "NEXT"));
    dialogs.QueueInput(QStringLiteral("NEXT2"));
    answer({Answer::Yes, Answer::OK});
    editing.CopyAs(kOther);
    EXPECT_EQ(onDisk("NEXT2"), (Fields{"X", "100", "", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(column(kOther, 0).contains(QStringLiteral("NEXT2")));
}

}  // namespace

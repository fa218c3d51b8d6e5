// SPDX-License-Identifier: MIT
#include <optional>

#include <QFile>

#include "dictionary/GridNotes.h"
#include "platform/grid/DropDownList.h"
#include "tests/editing/EditingFixture.h"

namespace {

using grid::CellNote;
using ui::Answer;
using Boxes = std::vector<std::string>;

const std::string kCompileQuestion =
    "Do you want to compile the I-descriptor now? | YesNo | None | Compile necessary!";
constexpr int kColumnName = 4;  // never checked for its form

// ORDERS with an I item that names an item the dictionary does not have.
class GridMarksTest : public EditingFixture {
protected:
    void openWithBrokenItem() {
        makeOrders();
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("BROKEN"),
                  {"I", "QTY * NOSUCH", "", "Broken", "10R", "S"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINES"), {"PH", "BROKEN TOTAL QTY"});
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_EQ(boxes(), Boxes{});
    }

    std::optional<CellNote> noteAt(int view, const char* id, int column) const {
        const int row = rowOf(view, id);
        EXPECT_GE(row, 0) << id;
        return grid(view).Model()->NoteOf(row, column);
    }
    bool markedBroken(const char* id) const {
        const std::optional<CellNote> note = noteAt(kDIV, id, kColumnName);
        return note && note->kind == CellNote::Kind::Broken;
    }
    std::optional<CellNote> typedNote(int view, int column, const QString& text) {
        EXPECT_TRUE(grid(view).SetCurrentRow(grid(view).CurrentRow()));
        grid(view).SetCol(column);
        EXPECT_TRUE(grid(view).SetText(text));
        return grid(view).Model()->NoteOf(grid(view).CurrentRow(), column);
    }
};

TEST_F(GridMarksTest, aBrokenItemIsMarkedAfterOpenAndUnmarkedOnceFixed) {
    openWithBrokenItem();
    const std::optional<CellNote> note = noteAt(kDIV, "BROKEN", kColumnName);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->kind, CellNote::Kind::Broken);
    EXPECT_TRUE(note->toolTip.contains(QStringLiteral("column 7"))) << note->toolTip.toStdString();
    EXPECT_TRUE(note->toolTip.contains(QStringLiteral("NOSUCH"))) << note->toolTip.toStdString();
    EXPECT_TRUE(noteAt(kDIV, "BROKEN", 0));  // every cell of the row
    EXPECT_FALSE(markedBroken("TOTAL"));
    EXPECT_FALSE(markedBroken("QTY"));

    // Fixed and saved: the mark goes.
    type(kDIV, rowOf(kDIV, "BROKEN"), {{2, QStringLiteral("QTY * PRICE")}});
    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("BROKEN"), kCompileQuestion}));
    EXPECT_FALSE(markedBroken("BROKEN"));
    EXPECT_EQ(editing.Notes().Marks().BrokenCount(), 0);

    // Broken by a save of another item: TOTAL names PRICE, which is renamed away.
    dialogs.clear();
    type(kDIV, rowOf(kDIV, "TOTAL"), {{2, QStringLiteral("QTY * PRICE2")}});
    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);
    EXPECT_TRUE(markedBroken("TOTAL"));

    // Changed behind the program and read again with "All (Refresh)": marked as read.
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"), {"I", "QTY * PRICE", "MD2"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"I", "@ID +"});
    choosePhrase(0);
    EXPECT_FALSE(markedBroken("TOTAL"));
    EXPECT_TRUE(markedBroken("QTY"));
}

TEST_F(GridMarksTest, marksFollowCopiesDeletesAndUndos) {
    // Each test keeps its journals to itself: a server names its accounts alike.
    qputenv("XDG_DATA_HOME", QFile::encodeName(programDir.filePath(QStringLiteral("data"))));
    openWithBrokenItem();
    // A copy of QTY under the missing name gives BROKEN the item it names.
    type(kDIV, rowOf(kDIV, "QTY"), {{0, QStringLiteral("TYPED.IN.CELL")}});
    dialogs.QueueInput(QStringLiteral("NOSUCH"));
    answer({Answer::Yes, Answer::Yes, Answer::OK});
    leaveRow(kDIV);
    ASSERT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NOSUCH")));
    EXPECT_FALSE(markedBroken("BROKEN"));

    dialogs.clear();
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "NOSUCH")});
    answer({Answer::Yes, Answer::OK});
    ASSERT_EQ(grid(kDIV).DeleteRows(), 1);
    ASSERT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NOSUCH")));
    EXPECT_TRUE(markedBroken("BROKEN"));

    EXPECT_TRUE(editing.Undo());
    ASSERT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NOSUCH")));
    EXPECT_FALSE(markedBroken("BROKEN"));
}

TEST_F(GridMarksTest, marksFollowTheirRowsIntoANarrowedGrid) {
    openWithBrokenItem();
    const int fullRow = rowOf(kDIV, "BROKEN");
    choosePhrase(static_cast<int>(phraseEntries().indexOf(QStringLiteral("LINES"))));
    ASSERT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("TOTAL"),
                                            QStringLiteral("BROKEN")}));
    ASSERT_NE(rowOf(kDIV, "BROKEN"), fullRow);
    EXPECT_TRUE(markedBroken("BROKEN"));
    EXPECT_FALSE(markedBroken("TOTAL"));
    EXPECT_FALSE(markedBroken("QTY"));
}

TEST_F(GridMarksTest, compileAllRunsCdOnTheOpenFileAndKeepsTheItemsAsRead) {
    openWithBrokenItem();
    editing.CompileAll();
    EXPECT_EQ(boxes(), Boxes{});
    EXPECT_TRUE(screen.CompileAnswer().contains(QStringLiteral("BROKEN")))
        << screen.CompileAnswer().toStdString();
    EXPECT_GT(onDisk("TOTAL").size(), 6);  // the compiled form CD stored
    EXPECT_TRUE(markedBroken("BROKEN"));

    // The compiled items were read back: their next save finds no one else's change.
    type(kDIV, rowOf(kDIV, "TOTAL"), {{kColumnName, QStringLiteral("Sum")}});
    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("TOTAL"), kCompileQuestion}));
    EXPECT_EQ(onDisk("TOTAL").at(3), "Sum");
}

TEST_F(GridMarksTest, typedCellsAreMarkedWhileTheyBreakTheirColumnsFormNeverRefused) {
    openOrders();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    const std::optional<CellNote> format = typedNote(kDIV, 5, QStringLiteral("5X"));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->kind, CellNote::Kind::Doubtful);
    EXPECT_TRUE(format->toolTip.contains(QStringLiteral("justification")));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_FALSE(typedNote(kDIV, 5, QStringLiteral("5R")));
    EXPECT_TRUE(typedNote(kDIV, 2, QStringLiteral("three")));  // a D item's location
    EXPECT_TRUE(typedNote(kDIV, 6, QStringLiteral("X")));
    EXPECT_TRUE(typedNote(kDIV, 3, QStringLiteral("MD")) == std::nullopt);
    EXPECT_TRUE(typedNote(kDIV, 3, QStringLiteral("QQ")));
    // Typed as an I item, the location column holds an expression.
    EXPECT_TRUE(typedNote(kDIV, 1, QStringLiteral("I")) == std::nullopt);
    EXPECT_FALSE(grid(kDIV).Model()->NoteOf(grid(kDIV).CurrentRow(), 2));
    // Dropped: the stored values are checked again, and they follow their forms.
    grid(kDIV).CancelRow();
    for (int column = 1; column <= 8; ++column) {
        EXPECT_FALSE(grid(kDIV).Model()->NoteOf(rowOf(kDIV, "QTY"), column)) << column;
    }
}

TEST_F(GridMarksTest, singleMultipleAndConversionColumnsOfferTheirCommonValues) {
    openOrders();
    for (const auto& [view, column, entry] : {std::tuple{kDIV, 6, "M"}, std::tuple{kDIV, 3, "MD2"},
                                              std::tuple{kAS, 5, "S"}, std::tuple{kAS, 7, "D2/"}}) {
        const grid::DropDownList* list = grid(view).DropDown(column);
        ASSERT_NE(list, nullptr) << view << " " << column;
        EXPECT_TRUE(list->Entries().contains(QString::fromLatin1(entry))) << entry;
    }
    EXPECT_NE(grid(kDIV).DropDown(8), nullptr);  // the data types, as before
    // Typed text that is not in the list is kept as typed.
    type(kDIV, rowOf(kDIV, "QTY"), {{3, QStringLiteral("MCN")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kDIV);
    EXPECT_EQ(onDisk("QTY").at(2), "MCN");
}

}  // namespace

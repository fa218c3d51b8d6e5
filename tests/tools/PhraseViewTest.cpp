// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QTest>

#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewSet.h"
#include "platform/grid/DataGrid.h"
#include "tests/support/ScreenFixture.h"

namespace {

using dictionary::ViewKind;

constexpr int kAs = 0;
constexpr int kPh = 1;
constexpr int kDiv = 2;
constexpr int kOther = 3;

class PhraseViewTest : public ScreenFixture {
protected:
    // Read in this order: A/S rows NAME, CODE; D/I/V rows QTY, PRICE, TOTAL; and phrases.
    void makeOrders() {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NAME"),
                  {"A", "1", "Name", "", "", "", "", "", "L", "20"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("CODE"), {"A", "2"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Qty"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"),
                  {"D", "2", "MD2", "Price", "R", "S", "LINES", "DEC"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"), {"I", "QTY * PRICE"});
        // Out of view order, twice, with doubled blanks and words that name nothing.
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("MIXED"),
                  {"PH", "TOTAL  NAME QTY nothing TOTAL price"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NONE"), {"PH", "nothing at all"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("All (Refresh)"), {"PH", "CODE"});
    }

    void openOrders() {
        makeOrders();
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty());
    }

    // What picking an entry of the list does.
    void choose(const QString& entry) {
        const int index = static_cast<int>(phraseEntries().indexOf(entry));
        ASSERT_GE(index, 0) << entry.toStdString();
        choosePhrase(index);
    }
    void chooseRefresh() { choosePhrase(0); }

    const std::shared_ptr<grid::RowArray>& bound(int view) const { return grid(view).BoundArray(); }
    std::shared_ptr<grid::RowArray> viewRows(ViewKind view) const {
        return Dictionary().views->Rows(view);
    }
};

TEST_F(PhraseViewTest, narrowsToThePhraseInViewOrderWithDuplicatesAndLeavesTheViewSetAlone) {
    openOrders();
    const auto phBefore = bound(kPh);
    const auto otherBefore = bound(kOther);

    choose(QStringLiteral("MIXED"));

    EXPECT_EQ(column(kAs, 0), QStringList{QStringLiteral("NAME")});
    EXPECT_EQ(column(kAs, 10), QStringList{QStringLiteral("20")});  // every column copied
    EXPECT_EQ(bound(kAs)->ColumnCount(), 11);
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("TOTAL"),
                                            QStringLiteral("TOTAL")}));
    EXPECT_EQ(bound(kDiv)->ColumnCount(), 9);
    EXPECT_NE(bound(kDiv), viewRows(ViewKind::DIV));
    EXPECT_EQ(viewRows(ViewKind::DIV)->RowCount(), 3);
    EXPECT_EQ(viewRows(ViewKind::AS)->RowCount(), 2);
    EXPECT_EQ(bound(kPh), phBefore);
    EXPECT_EQ(bound(kOther), otherBefore);
    EXPECT_EQ(column(kPh, 0).size(), 3);

    // The next choice narrows the view set's rows again, not the narrowed ones.
    choose(QStringLiteral("NONE"));
    EXPECT_EQ(bound(kAs)->RowCount(), 0);
    EXPECT_EQ(bound(kDiv)->RowCount(), 0);

    // A PH item named like the first entry narrows: only the first entry refreshes.
    choosePhrase(static_cast<int>(phraseEntries().lastIndexOf(QStringLiteral("All (Refresh)"))));
    EXPECT_EQ(column(kAs, 0), QStringList{QStringLiteral("CODE")});
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(PhraseViewTest, anEmptyViewKeepsItsGridWhileTheOtherIsNarrowed) {
    makeDictionary(QStringLiteral("ORDERS"));
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("P"), {"PH", "QTY"});
    login();
    open(QStringLiteral("ORDERS"));
    const auto asBefore = bound(kAs);

    choose(QStringLiteral("P"));

    EXPECT_EQ(bound(kAs), asBefore);
    EXPECT_EQ(column(kDiv, 0), QStringList{QStringLiteral("QTY")});
    EXPECT_NE(bound(kDiv), viewRows(ViewKind::DIV));
}

TEST_F(PhraseViewTest, anEntryThatNoLongerNamesAPhRowLeavesTheGridsAsTheyAre) {
    openOrders();
    choose(QStringLiteral("MIXED"));
    const auto asNarrowed = bound(kAs);
    const auto divNarrowed = bound(kDiv);
    viewRows(ViewKind::PH)
        ->SetCell(static_cast<int>(phraseEntries().indexOf(QStringLiteral("NONE"))) - 1, 0,
                  QStringLiteral("RENAMED"));

    choose(QStringLiteral("NONE"));

    EXPECT_EQ(bound(kAs), asNarrowed);
    EXPECT_EQ(bound(kDiv), divNarrowed);
}

TEST_F(PhraseViewTest, refreshReadsTheAccountAgainIntoAllFourGrids) {
    openOrders();
    choose(QStringLiteral("MIXED"));
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Quantity"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("NEW"), {"PH", "QTY"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("NEXT"), {"X", "7"});
    ASSERT_TRUE(QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/CODE")));
    const auto oldViews = Dictionary().views;

    chooseRefresh();

    EXPECT_NE(Dictionary().views, oldViews);
    for (const ViewKind view : {ViewKind::AS, ViewKind::PH, ViewKind::DIV, ViewKind::Other}) {
        EXPECT_EQ(bound(dictionary::ViewIndex(view)), viewRows(view));
    }
    EXPECT_EQ(column(kAs, 0), QStringList{QStringLiteral("NAME")});
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("PRICE"),
                                            QStringLiteral("TOTAL")}));
    EXPECT_EQ(column(kDiv, 4).first(), QStringLiteral("Quantity"));
    EXPECT_TRUE(column(kPh, 0).contains(QStringLiteral("NEW")));
    EXPECT_TRUE(column(kOther, 0).contains(QStringLiteral("NEXT")));
    EXPECT_EQ(Dictionary().views->Counter(ViewKind::PH), 4);
    EXPECT_EQ(phraseEntries().size(), 5);
    EXPECT_EQ(screen.PhraseShown(), QStringLiteral("ALL"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_FALSE(dialogs.hourglass());
}

TEST_F(PhraseViewTest, aRowLeftPendingIsSettledBeforeTheGridIsNarrowed) {
    openOrders();
    grid(kDiv).SetCol(4);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("typed")));
    dialogs.QueueAnswer(ui::Answer::No);

    choose(QStringLiteral("MIXED"));

    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Save?")});
    EXPECT_FALSE(grid(kDiv).HasPendingRow());
    EXPECT_EQ(column(kDiv, 0).size(), 3);
    EXPECT_EQ(column(kDiv, 4).first(), QStringLiteral("Qty"));
}

// A narrowed grid shows copies of the view's rows: what is saved, added or deleted there
// must reach every copy, or the next narrowing would show, and a save write back, the
// values from before.
TEST_F(PhraseViewTest, aSaveInANarrowedGridReachesTheFullViewAndTheNextNarrowing) {
    openOrders();
    choose(QStringLiteral("MIXED"));
    ASSERT_EQ(column(kDiv, 0).at(1), QStringLiteral("TOTAL"));
    ASSERT_TRUE(grid(kDiv).SetCurrentRow(1));
    grid(kDiv).SetCol(4);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("Sum")));
    for (const ui::Answer a : {ui::Answer::Yes, ui::Answer::OK, ui::Answer::No}) {
        dialogs.QueueAnswer(a);
    }

    EXPECT_EQ(grid(kDiv).CommitRow(), grid::CommitOutcome::Stored);

    // Both narrowed copies of TOTAL and the view's own row.
    EXPECT_EQ(column(kDiv, 4),
              (QStringList{QStringLiteral("Qty"), QStringLiteral("Sum"), QStringLiteral("Sum")}));
    EXPECT_EQ(viewRows(ViewKind::DIV)->Cell(2, 4), QStringLiteral("Sum"));

    choose(QStringLiteral("MIXED"));
    EXPECT_EQ(column(kDiv, 4).at(1), QStringLiteral("Sum"));
    dialogs.clear();
    ASSERT_TRUE(grid(kDiv).SetCurrentRow(1));
    grid(kDiv).SetCol(5);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("10R")));
    for (const ui::Answer a : {ui::Answer::Yes, ui::Answer::OK, ui::Answer::No}) {
        dialogs.QueueAnswer(a);
    }
    grid(kDiv).CommitRow();
    EXPECT_EQ(prompts(),
              (QStringList{QStringLiteral("Save?"), QStringLiteral("TOTAL record updated"),
                           QStringLiteral("Do you want to compile the I-descriptor now?")}));
    const QByteArrayList total = itemFields(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"));
    EXPECT_EQ(total.value(3), "Sum");
    EXPECT_EQ(total.value(4), "10R");
}

TEST_F(PhraseViewTest, rowsAddedAndDeletedInANarrowedGridChangeTheFullView) {
    openOrders();
    choose(QStringLiteral("MIXED"));
    grid(kDiv).SetHighlightedRows({0});  // QTY
    for (const ui::Answer a : {ui::Answer::Yes, ui::Answer::OK}) {
        dialogs.QueueAnswer(a);
    }
    EXPECT_EQ(grid(kDiv).DeleteRows(), 1);
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("TOTAL"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(viewRows(ViewKind::DIV)->RowCount(), 2);
    EXPECT_EQ(Dictionary().views->Counter(ViewKind::DIV), 2);

    ASSERT_TRUE(grid(kDiv).SetCurrentRow(grid(kDiv).NewRowLine()));
    for (const auto& [col, text] :
         {std::pair{0, QStringLiteral("EXTRA")}, std::pair{1, QStringLiteral("D")},
          std::pair{2, QStringLiteral("9")}}) {
        grid(kDiv).SetCol(col);
        ASSERT_TRUE(grid(kDiv).SetText(text));
    }
    for (const ui::Answer a : {ui::Answer::Yes, ui::Answer::OK}) {
        dialogs.QueueAnswer(a);
    }
    EXPECT_EQ(grid(kDiv).CommitRow(), grid::CommitOutcome::Stored);

    choose(QStringLiteral("NONE"));
    EXPECT_EQ(viewRows(ViewKind::DIV)->Cell(2, 0), QStringLiteral("EXTRA"));
    EXPECT_EQ(Dictionary().views->Counter(ViewKind::DIV), 3);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

}  // namespace

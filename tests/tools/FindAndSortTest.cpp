// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QFile>

#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"
#include "tests/support/ScreenFixture.h"

namespace {

using dictionary::ViewKind;

constexpr int kAs = 0;
constexpr int kPh = 1;
constexpr int kDiv = 2;
constexpr int kOther = 3;

class FindAndSortTest : public ScreenFixture {
protected:
    void openOrders() {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NAME"), {"A", "10", "Name"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("CODE"), {"A", "9", "Code"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("KEY"), {"A", "0", "Key"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Qty"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"), {"D", "2", "MD2", "Price"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"), {"I", "QTY * PRICE"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINES"), {"PH", "QTY PRICE"});
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty());
    }

    bool find(const QString& text) {
        bool applied = false;
        editing::RunGuarded(vars.dialogs, [&] { applied = tools.SetFindText(text); });
        return applied;
    }
    void clickHeader(int view, int column) {
        editing::RunGuarded(vars.dialogs, [&] { tools.HeaderClicked(view, column); });
    }
    std::shared_ptr<grid::RowArray> viewRows(ViewKind view) const {
        return Dictionary().views->Rows(view);
    }
    static QString caption(ViewKind view) { return dictionary::LayoutOf(view).tabCaption; }
    QStringList captions() const {
        QStringList shown;
        for (int tab = 0; tab < dictionary::kViewCount; ++tab) {
            shown << screen.TabCaption(tab);
        }
        return shown;
    }
    // Leaves the current row of a grid, as a click on another row would.
    void leaveRow(int view) { grid(view).CommitRow(); }
};

TEST_F(FindAndSortTest, findNarrowsEveryGridIgnoringCaseAndCountsTheMatchesOnTheTabs) {
    openOrders();

    ASSERT_TRUE(find(QStringLiteral("qty")));

    // The id, and any other cell: TOTAL's formula and the phrase name QTY too.
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(column(kPh, 0), QStringList{QStringLiteral("LINES")});
    EXPECT_TRUE(column(kAs, 0).isEmpty());
    EXPECT_TRUE(column(kOther, 0).isEmpty());
    EXPECT_EQ(captions(), (QStringList{caption(ViewKind::AS) + QStringLiteral(" (0)"),
                                       caption(ViewKind::PH) + QStringLiteral(" (1)"),
                                       caption(ViewKind::DIV) + QStringLiteral(" (2)"),
                                       caption(ViewKind::Other) + QStringLiteral(" (0)")}));
    EXPECT_EQ(viewRows(ViewKind::DIV)->RowCount(), 3);  // the views keep every row

    ASSERT_TRUE(find(QString()));

    for (int view = 0; view < dictionary::kViewCount; ++view) {
        EXPECT_EQ(grid(view).BoundArray(), viewRows(dictionary::ViewAt(view)));
        EXPECT_EQ(screen.TabCaption(view), caption(dictionary::ViewAt(view)));
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(FindAndSortTest, findCombinesWithThePhraseAndOutlivesARefreshThatDropsThePhrase) {
    openOrders();
    const int lines = static_cast<int>(phraseEntries().indexOf(QStringLiteral("LINES")));
    ASSERT_GT(lines, 0);
    choosePhrase(lines);
    ASSERT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("PRICE")}));

    ASSERT_TRUE(find(QStringLiteral("PRI")));
    EXPECT_EQ(column(kDiv, 0), QStringList{QStringLiteral("PRICE")});

    choosePhrase(0);  // "All (Refresh)"
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(screen.TabCaption(kDiv), caption(ViewKind::DIV) + QStringLiteral(" (2)"));
}

// Found and sorted rows are copies: what is saved there must be the item the row shows,
// reach the account, and be shown again once the find is off.
TEST_F(FindAndSortTest, aSaveInAFoundAndSortedGridWritesThatItemAndReachesTheFullView) {
    openOrders();
    ASSERT_TRUE(find(QStringLiteral("e")));  // every A row: Name, Code, Key
    clickHeader(kAs, 0);
    clickHeader(kAs, 0);  // descending by id
    ASSERT_EQ(column(kAs, 0),
              (QStringList{QStringLiteral("NAME"), QStringLiteral("KEY"), QStringLiteral("CODE")}));
    ASSERT_TRUE(grid(kAs).SetCurrentRow(2));
    grid(kAs).SetCol(3);
    ASSERT_TRUE(grid(kAs).SetText(QStringLiteral("Customer code")));
    dialogs.QueueAnswer(ui::Answer::Yes);
    dialogs.QueueAnswer(ui::Answer::OK);
    leaveRow(kAs);

    EXPECT_EQ(prompts(),
              (QStringList{QStringLiteral("Save?"), QStringLiteral("CODE record updated")}));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("CODE")).mid(0, 3),
              (QByteArrayList{"A", "9", "Customer code"}));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("NAME")),
              (QByteArrayList{"A", "10", "Name"}));

    ASSERT_TRUE(find(QString()));
    clickHeader(kAs, 0);  // back to the account's order
    EXPECT_EQ(grid(kAs).BoundArray(), viewRows(ViewKind::AS));
    const int code = static_cast<int>(column(kAs, 0).indexOf(QStringLiteral("CODE")));
    EXPECT_EQ(viewRows(ViewKind::AS)->Cell(code, 3), QStringLiteral("Customer code"));
}

// Typing a find asks nothing and drops no row: a pending row stays shown as typed, in its
// place, until it is saved or its changes are dropped; then the find reaches it too.
TEST_F(FindAndSortTest, aPendingRowStaysShownAsTypedThroughAFindUntilItIsSettled) {
    openOrders();
    const QStringList found{QStringLiteral("QTY"), QStringLiteral("TOTAL")};
    ASSERT_TRUE(grid(kDiv).SetCurrentRow(static_cast<int>(column(kDiv, 0).indexOf("PRICE"))));
    grid(kDiv).SetCol(4);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("Cost")));

    EXPECT_TRUE(find(QStringLiteral("q")));
    EXPECT_TRUE(find(QStringLiteral("qty")));

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("PRICE"),
                                            QStringLiteral("TOTAL")}));
    ASSERT_TRUE(grid(kDiv).HasPendingRow());
    EXPECT_EQ(grid(kDiv).Text(), QStringLiteral("Cost"));
    EXPECT_EQ(column(kAs, 0), QStringList{});
    // Narrowed to fewer rows than the view holds, the pending row that the find does not
    // match is still among them.
    EXPECT_TRUE(find(QStringLiteral("total")));
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(screen.TabCaption(kDiv), caption(ViewKind::DIV) + QStringLiteral(" (2)"));
    EXPECT_EQ(grid(kDiv).Text(), QStringLiteral("Cost"));
    EXPECT_TRUE(find(QStringLiteral("qty")));
    EXPECT_TRUE(grid(kDiv).CancelRow());
    QCoreApplication::processEvents();
    EXPECT_EQ(column(kDiv, 0), found);

    // A new row typed at the bottom stays too, and is found once saved.
    ASSERT_TRUE(grid(kDiv).SetCurrentRow(grid(kDiv).NewRowLine()));
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("NEWQTY")));
    grid(kDiv).SetCol(1);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("D")));
    EXPECT_TRUE(find(QStringLiteral("total")));
    EXPECT_EQ(column(kDiv, 0), QStringList{QStringLiteral("TOTAL")});
    EXPECT_TRUE(grid(kDiv).PendingRowIsNew());
    EXPECT_EQ(grid(kDiv).Model()->CellText(grid(kDiv).NewRowLine(), 0), QStringLiteral("NEWQTY"));
    dialogs.QueueAnswer(ui::Answer::Yes);
    dialogs.QueueAnswer(ui::Answer::OK);
    EXPECT_EQ(grid(kDiv).CommitRow(), grid::CommitOutcome::Stored);
    QCoreApplication::processEvents();
    EXPECT_EQ(column(kDiv, 0), QStringList{QStringLiteral("TOTAL")});
    EXPECT_TRUE(find(QStringLiteral("qty")));
    EXPECT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("QTY"), QStringLiteral("TOTAL"),
                                            QStringLiteral("NEWQTY")}));
}

TEST_F(FindAndSortTest, headerClicksSortUpThenDownThenBackAndLocationsSortByValue) {
    openOrders();
    const QStringList accountOrder = column(kAs, 0);

    clickHeader(kAs, 2);
    EXPECT_EQ(column(kAs, 2),
              (QStringList{QStringLiteral("0"), QStringLiteral("9"), QStringLiteral("10")}));
    EXPECT_EQ(grid(kAs).SortIndicatorColumn(), 2);
    clickHeader(kAs, 2);
    EXPECT_EQ(column(kAs, 2),
              (QStringList{QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("0")}));
    clickHeader(kAs, 2);
    EXPECT_EQ(column(kAs, 0), accountOrder);
    EXPECT_EQ(grid(kAs).BoundArray(), viewRows(ViewKind::AS));
    EXPECT_EQ(grid(kAs).SortIndicatorColumn(), -1);

    // Text columns sort by text, letter case aside; another grid keeps its order.
    clickHeader(kAs, 3);
    EXPECT_EQ(column(kAs, 3),
              (QStringList{QStringLiteral("Code"), QStringLiteral("Key"), QStringLiteral("Name")}));
    EXPECT_EQ(grid(kDiv).BoundArray(), viewRows(ViewKind::DIV));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(FindAndSortTest, rowsAddedAndDeletedInASortedGridChangeTheAccountAndTheFullView) {
    openOrders();
    clickHeader(kDiv, 0);
    ASSERT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY"),
                                            QStringLiteral("TOTAL")}));
    // Delete QTY, the second row shown, which is the first of the account's order.
    grid(kDiv).SetHighlightedRows({1});
    dialogs.QueueAnswer(ui::Answer::Yes);  // Are you sure?
    dialogs.QueueAnswer(ui::Answer::OK);   // Record QTY has been deleted
    EXPECT_EQ(grid(kDiv).DeleteRows(), 1);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("PRICE")));

    ASSERT_TRUE(grid(kDiv).SetCurrentRow(grid(kDiv).NewRowLine()));
    grid(kDiv).SetCol(0);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("AMOUNT")));
    grid(kDiv).SetCol(1);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("D")));
    grid(kDiv).SetCol(2);
    ASSERT_TRUE(grid(kDiv).SetText(QStringLiteral("3")));
    dialogs.QueueAnswer(ui::Answer::Yes);  // Save?
    dialogs.QueueAnswer(ui::Answer::OK);   // AMOUNT record updated
    leaveRow(kDiv);
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("AMOUNT")).mid(0, 2),
              (QByteArrayList{"D", "3"}));

    clickHeader(kDiv, 0);
    clickHeader(kDiv, 0);
    EXPECT_EQ(grid(kDiv).BoundArray(), viewRows(ViewKind::DIV));
    QStringList ids = column(kDiv, 0);
    ids.sort();
    EXPECT_EQ(ids, (QStringList{QStringLiteral("AMOUNT"), QStringLiteral("PRICE"),
                                QStringLiteral("TOTAL")}));
}

TEST_F(FindAndSortTest, aNameInOtherLetterCaseIsOfferedAndTheBoxCompletesTheAccountsFiles) {
    openOrders();
    makeDictionary(QStringLiteral("Customers"));
    writeItem(QStringLiteral("Customers"), QStringLiteral("NAME"), {"D", "1"});
    writeItem(QStringLiteral("Customers"), QStringLiteral("@EMPTY.NULL"), {"X"});

    dialogs.QueueAnswer(ui::Answer::OK);   // the open's own error
    dialogs.QueueAnswer(ui::Answer::Yes);  // Did you mean Customers?
    open(QStringLiteral("CUSTOMERS"));

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].prompt, QStringLiteral("Did you mean Customers?"));
    EXPECT_EQ(dialogs.shown()[1].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(Dictionary().name, QStringLiteral("Customers"));
    EXPECT_EQ(screen.FileNameText(), QStringLiteral("Customers"));
    EXPECT_EQ(column(kDiv, 0), QStringList{QStringLiteral("NAME")});
    EXPECT_EQ(screen.FileNameChoices(),
              (QStringList{QStringLiteral("Customers"), QStringLiteral("ORDERS")}));

    // No keeps the open dictionary; a name no file has asks nothing more.
    dialogs.clear();
    dialogs.QueueAnswer(ui::Answer::OK);
    dialogs.QueueAnswer(ui::Answer::No);
    open(QStringLiteral("orders"));
    EXPECT_EQ(Dictionary().name, QStringLiteral("Customers"));
    dialogs.clear();
    dialogs.QueueAnswer(ui::Answer::OK);
    open(QStringLiteral("NOSUCH"));
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

}  // namespace

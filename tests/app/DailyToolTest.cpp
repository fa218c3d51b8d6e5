// SPDX-License-Identifier: MIT
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include "dictionary/ViewLayout.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using ui::Answer;

// The main window's keys and panes for daily work: each reaches the handler it names.
class DailyTool : public EditingFixtureOn<MainWindowFixture> {
protected:
    QAction& action(const char* name) const { return control<QAction>(name); }
    QLineEdit& findBox() const { return control<QLineEdit>("txtFind"); }
};

TEST_F(DailyTool, theFindBoxNarrowsTheGridsAndEscapeClearsIt) {
    openOrders();
    EXPECT_EQ(action("mnuFind").shortcut(), QKeySequence(QKeySequence::Find));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    action("mnuFind").trigger();
    EXPECT_TRUE(findBox().hasFocus());

    QTest::keyClicks(&findBox(), QStringLiteral("price"));

    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(window->Tabs()->Caption(kDIV),
              dictionary::LayoutOf(dictionary::ViewKind::DIV).tabCaption + QStringLiteral(" (2)"));

    QTest::keyClick(&findBox(), Qt::Key_Escape);

    EXPECT_TRUE(findBox().text().isEmpty());
    EXPECT_EQ(column(kDIV, 0).size(), 3);
    EXPECT_EQ(window->Tabs()->Caption(kDIV),
              dictionary::LayoutOf(dictionary::ViewKind::DIV).tabCaption);
}

// A row changed and not left: typing "dn" into the find box asks nothing, so no key of
// it answers a question, and the changed row stays as typed.
TEST_F(DailyTool, typingAFindWithARowPendingAsksNothingAndKeepsTheRow) {
    openOrders();
    window->ShowView(dictionary::ViewKind::DIV);
    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Quantity")}});
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    action("mnuFind").trigger();

    QTest::keyClicks(&findBox(), QStringLiteral("dn"));

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(findBox().text(), QStringLiteral("dn"));
    ASSERT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Model()->CellText(grid(kDIV).Model()->PendingRow(), 4),
              QStringLiteral("Quantity"));
    EXPECT_EQ(onDisk("QTY").value(3), QByteArray("Qty"));
}

// Reaching the phrase list or the file name box with a row pending asks about the row
// there and then, before anything is chosen or typed: a click, or the keyboard's focus.
TEST_F(DailyTool, thePhraseListAndTheFileNameBoxAskAboutAPendingRowAsTheyAreReached) {
    openOrders();
    window->ShowView(dictionary::ViewKind::DIV);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Quantity")}});
    answer({Answer::No});
    QTest::mouseClick(&control<QComboBox>("cmbPhrase"), Qt::LeftButton);
    EXPECT_EQ(boxes(), (std::vector<std::string>{saveQuestion()}));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());

    dialogs.clear();
    type(kDIV, rowOf(kDIV, "PRICE"), {{4, QStringLiteral("Cost")}});
    answer({Answer::Yes, Answer::OK});
    control<QLineEdit>("txtFilename").setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes(), (std::vector<std::string>{saveQuestion(), written("PRICE")}));
    EXPECT_EQ(onDisk("PRICE").value(3), QByteArray("Cost"));
}

TEST_F(DailyTool, aHeaderClickSortsTheGridAndShowsTheIndicator) {
    openOrders();
    emit grid(kDIV).horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY"),
                                            QStringLiteral("TOTAL")}));
    EXPECT_TRUE(grid(kDIV).horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(grid(kDIV).horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(DailyTool, ctrlSSavesTheCurrentRowAndTheEditMenuOffersItsUndo) {
    openOrders();
    EXPECT_EQ(action("mnuSaveRow").shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(action("mnuRefresh").shortcut(), QKeySequence(QKeySequence::Refresh));
    EXPECT_EQ(action("mnuUndo").shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(action("mnuRedo").shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    window->ShowView(dictionary::ViewKind::DIV);
    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Quantity")}});
    answer({Answer::Yes, Answer::OK});

    action("mnuSaveRow").trigger();

    EXPECT_FALSE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(onDisk("QTY").value(3), QByteArray("Quantity"));
    emit control<QMenu>("mnuEdit").aboutToShow();
    EXPECT_TRUE(action("mnuUndo").text().contains(QStringLiteral("QTY")))
        << action("mnuUndo").text().toStdString();

    answer({});
    action("mnuUndo").trigger();
    EXPECT_EQ(onDisk("QTY").value(3), QByteArray("Qty"));
    EXPECT_EQ(column(kDIV, 4).value(rowOf(kDIV, "QTY")), QStringLiteral("Qty"));
}

TEST_F(DailyTool, f3ShowsTheCurrentItemWholeInTheDetailPane) {
    openOrders();
    auto& pane = control<QDockWidget>("fraDetail");
    EXPECT_FALSE(pane.isVisible());
    EXPECT_EQ(action("mnuItemDetail").shortcut(), QKeySequence(Qt::Key_F3));
    window->ShowView(dictionary::ViewKind::Other);
    ASSERT_TRUE(grid(kOther).SetCurrentRow(
        static_cast<int>(column(kOther, 0).indexOf(QStringLiteral("NEXT")))));

    action("mnuItemDetail").trigger();

    EXPECT_TRUE(pane.isVisible());
    const QString detail = control<QPlainTextEdit>("txtDetail").toPlainText();
    EXPECT_TRUE(detail.contains(QStringLiteral("100"))) << detail.toStdString();
    EXPECT_TRUE(control<QPlainTextEdit>("txtDetail").isReadOnly());
    action("mnuItemDetail").trigger();
    EXPECT_FALSE(pane.isVisible());
}

TEST_F(DailyTool, theCompileAnswerOpensAsWideAsItsLongestLineUpToThePage) {
    openOrders();
    auto& result = control<QPlainTextEdit>("txtResult");
    const QString longLine = QStringLiteral("TOTAL: ") + QString(90, QLatin1Char('x'));
    window->ShowCompileAnswer(QStringLiteral("short\n") + longLine);
    const QFontMetrics metrics(result.font());
    EXPECT_GE(result.viewport()->width(), metrics.horizontalAdvance(longLine));
    EXPECT_LE(result.geometry().right(), result.parentWidget()->width());
    EXPECT_GE(result.geometry().left(), 0);

    window->ShowCompileAnswer(QString(500, QLatin1Char('y')));
    EXPECT_LE(result.geometry().right(), result.parentWidget()->width());
    EXPECT_GE(result.geometry().left(), 0);
}

}  // namespace

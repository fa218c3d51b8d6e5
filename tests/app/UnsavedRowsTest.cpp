// SPDX-License-Identifier: MIT
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include "platform/ui/TabControl.h"
#include "tests/support/MainWindowFixture.h"

// Closing the window and typing what a cell cannot hold: nothing typed is lost unasked.
namespace {

using ui::Answer;

constexpr int kAs = 0;
constexpr int kDiv = 2;
constexpr int kOther = 3;

class UnsavedRowsTest : public MainWindowFixture {
protected:
    void openOrders() {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NAME"), {"A", "2"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NEXT"), {"X", "100"});
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty());
    }

    // Types into row 0 of the view, column 2, as the user does, leaving the row pending.
    void change(int view, const QString& text) {
        ASSERT_TRUE(grid(view).SetCurrentRow(0));
        grid(view).SetCol(2);
        ASSERT_TRUE(grid(view).SetText(text));
    }

    bool closeWindow() { return window->close(); }
    QByteArray field2(const char* id) const {
        return itemFields(QStringLiteral("ORDERS"), QString::fromLatin1(id)).value(1);
    }
};

TEST_F(UnsavedRowsTest, closingWithChangedRowsAsksAndCancelKeepsTheWindowAndTheRows) {
    openOrders();
    change(kAs, QStringLiteral("20"));
    change(kDiv, QStringLiteral("10"));
    dialogs.QueueAnswer(Answer::Cancel);

    EXPECT_FALSE(closeWindow());

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& box = dialogs.shown()[0];
    EXPECT_EQ(box.prompt,
              QStringLiteral("2 changed rows are not saved. Save them before closing?"));
    EXPECT_EQ(box.buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(box.title, QStringLiteral("Kelvora"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(grid(kAs).HasPendingRow());
    EXPECT_TRUE(grid(kDiv).HasPendingRow());
    EXPECT_EQ(field2("NAME"), "2");
}

TEST_F(UnsavedRowsTest, yesSavesEachRowThroughTheNormalSaveAndThenCloses) {
    openOrders();
    change(kAs, QStringLiteral("20"));
    change(kDiv, QStringLiteral("10"));
    for (const Answer a : {Answer::Yes, Answer::Yes, Answer::OK, Answer::Yes, Answer::OK}) {
        dialogs.QueueAnswer(a);
    }

    EXPECT_TRUE(closeWindow());

    EXPECT_EQ(prompts(),
              (QStringList{QStringLiteral("2 changed rows are not saved. Save them "
                                          "before closing?"),
                           QStringLiteral("Save?"), QStringLiteral("NAME record updated"),
                           QStringLiteral("Save?"), QStringLiteral("QTY record updated")}));
    EXPECT_EQ(field2("NAME"), "20");
    EXPECT_EQ(field2("QTY"), "10");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(UnsavedRowsTest, aRowThatStaysPendingKeepsTheWindowOpenOnItsTab) {
    openOrders();
    change(kOther, QStringLiteral("two\nlines"));  // the engine refuses a line feed
    for (const Answer a : {Answer::Yes, Answer::Yes, Answer::OK}) {
        dialogs.QueueAnswer(a);
    }

    EXPECT_FALSE(closeWindow());

    EXPECT_EQ(dialogs.shown().size(), 3u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(grid(kOther).HasPendingRow());
    EXPECT_EQ(window->Tabs()->Tab(), kOther);
    EXPECT_EQ(field2("NEXT"), "100");
}

TEST_F(UnsavedRowsTest, noClosesWithoutSavingAndNoChangedRowAsksNothing) {
    openOrders();
    change(kOther, QStringLiteral("200"));
    dialogs.QueueAnswer(Answer::No);

    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(prompts(),
              QStringList{QStringLiteral("1 changed row is not saved. Save it before closing?")});
    EXPECT_EQ(field2("NEXT"), "100");

    // A window with nothing changed closes at once.
    dialogs.clear();
    login();
    EXPECT_TRUE(closeWindow());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(UnsavedRowsTest, aCellEditorStillOpenCountsAsAChangedRow) {
    openOrders();
    ASSERT_TRUE(grid(kOther).SetCurrentRow(0));
    grid(kOther).SetCol(2);
    grid(kOther).setFocus();
    QTest::keyClick(&grid(kOther), Qt::Key_F2);
    auto* editor = grid(kOther).findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("5"));
    ASSERT_FALSE(grid(kOther).HasPendingRow()) << "the text is still in the editor";
    dialogs.QueueAnswer(Answer::Cancel);

    EXPECT_FALSE(closeWindow());
    EXPECT_EQ(prompts().size(), 1);
    EXPECT_TRUE(grid(kOther).HasPendingRow());
    EXPECT_EQ(grid(kOther).Text(), QStringLiteral("5"));
}

TEST_F(UnsavedRowsTest, aFieldMarkTypedIntoACellBeepsAndTheStatusBarSaysWhy) {
    openOrders();
    ASSERT_TRUE(grid(kOther).SetCurrentRow(0));
    grid(kOther).SetCol(2);

    EXPECT_FALSE(grid(kOther).SetText(QStringLiteral("1\u00FE2")));

    EXPECT_EQ(dialogs.beeps(), 1);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("one field")))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(grid(kOther).HasPendingRow());
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace

namespace {

// The window goes while a cell editor is open and its first keystroke holds the item's
// lock: the editor closes after the handlers are gone, and nothing reaches them.
TEST_F(UnsavedRowsTest, aWindowDestroyedWhileACellIsTypedEndsCleanly) {
    openOrders();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    grid::DataGrid& g = grid(kDiv);
    ASSERT_TRUE(g.SetCurrentRow(0));
    g.SetCol(2);
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_7);
    auto* editor = g.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_8);
    EXPECT_EQ(editor->text(), QStringLiteral("78"));
    window.reset();
}

}  // namespace

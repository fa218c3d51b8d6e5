// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/ui/TabControl.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using ui::Answer;

// The window hands its buttons, its phrase list and its grids to the handlers: each
// control reaches the handler it stands for. What the handlers then do is tested on the
// test screen.
class WindowWiringTest : public EditingFixtureOn<MainWindowFixture> {};

TEST_F(WindowWiringTest, enterInTheFileNameBoxOpensAndThePhraseListNarrowsTheGrids) {
    makeOrders();
    login();
    filename().setText(QStringLiteral("ORDERS"));
    QTest::keyClick(&filename(), Qt::Key_Return);
    ASSERT_EQ(Dictionary().name, QStringLiteral("ORDERS"));
    ASSERT_EQ(column(kDIV, 0).size(), 3);

    const int lines = phrases().findText(QStringLiteral("LINES"));
    ASSERT_GE(lines, 0);
    phrases().setCurrentIndex(lines);
    emit phrases().activated(lines);
    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY"),
                                            QStringLiteral("TOTAL")}));
    EXPECT_EQ(column(kAS, 0), QStringList());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WindowWiringTest, exportAndChildTableButtonsAskTheirQuestions) {
    openOrders();
    dialogs.QueueFileName(std::nullopt);
    control<QPushButton>("cmdExport").click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedDialogs::Kind::SaveFileName);

    dialogs.clear();
    window->Tabs()->SetTab(kDIV);
    grid(kDIV).SetHighlightedRows({0});
    dialogs.QueueInput(std::nullopt);
    control<QPushButton>("cmdMakeChild").click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedDialogs::Kind::InputBox);
}

TEST_F(WindowWiringTest, gridsReachTheSaveAndDeleteHandlersAndADeletedPhraseLeavesTheList) {
    openOrders();
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD4")}});
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(onDisk("PRICE").at(2), "MD4");

    ASSERT_GE(phrases().findText(QStringLiteral("LINES")), 0);
    grid(kPH).SetHighlightedRows({rowOf(kPH, "LINES")});
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(grid(kPH).DeleteRows(), 1);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("LINES")));
    EXPECT_EQ(phrases().findText(QStringLiteral("LINES")), -1);
}

}  // namespace

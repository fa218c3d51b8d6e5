// SPDX-License-Identifier: MIT
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <vector>

#include "connection/UserOptions.h"
#include "platform/mv/Session.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

// The File menu, and the keyboard: highlighting rows, the Tab walk and the menu keys.
namespace {

using ui::Answer;

class FileMenuTest : public EditingFixtureOn<MainWindowFixture> {
protected:
    QString other(const char* name) const { return programDir.filePath(QLatin1String(name)); }

    // File > Log In... answered with the account at `path`, or cancelled.
    void logIn(const QString& path, bool cancel = false) {
        const testbackend::Reach reach = testbackend::ReachFor(path.toStdString());
        dialogs.QueueForm([reach, cancel](QDialog& form) {
            const auto field = [&form](const char* name) {
                return form.findChild<QLineEdit*>(QLatin1String(name));
            };
            field("txtHostName")->setText(QString::fromStdString(reach.host));
            field("txtAccount")->setText(QString::fromStdString(reach.account));
            form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))->setEditText("UniVerse");
            form.findChild<QPushButton*>(QLatin1String(cancel ? "cmdCancel" : "cmdOK"))->click();
        });
        control<QAction>("mnuLogIn").trigger();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

TEST_F(FileMenuTest, logInAgainSettlesTheRowAndOpensTheSameFileThereCancelKeepsTheSession) {
    openOrders();
    for (const char* path : {"other/D_ORDERS", "empty"}) {
        ASSERT_TRUE(QDir().mkpath(other(path)));
    }
    QFile there(other("other/D_ORDERS/THERE"));
    ASSERT_TRUE(there.open(QIODevice::WriteOnly) && there.write("D\n9") == 3 && there.flush());
    const mv::Session* first = vars.session.get();

    type(kDIV, rowOf(kDIV, "QTY"), {{3, QStringLiteral("MD3")}});
    answer({Answer::Yes, Answer::OK});  // "Save?", then the report of the write
    logIn(other("other"), /*cancel=*/true);
    EXPECT_EQ(onDisk("QTY").value(2), "MD3") << "the pending row was saved first";
    EXPECT_EQ(vars.session.get(), first);
    EXPECT_TRUE(column(kDIV, 0).contains(QStringLiteral("QTY")));

    answer({Answer::OK});  // the "@EMPTY.NULL" descriptor added there
    window->ShowStatus(QStringLiteral("QTY is locked by another user"));
    logIn(other("other"));
    EXPECT_EQ(window->statusBar()->currentMessage(), QString()) << "said of the account left";
    EXPECT_NE(vars.session.get(), first);
    EXPECT_EQ(Dictionary().name, QStringLiteral("ORDERS"));
    EXPECT_EQ(column(kDIV, 0), QStringList{QStringLiteral("THERE")});
    EXPECT_EQ(control<QAction>("mnuRecent_0").text(), QStringLiteral("&1 ORDERS"));

    // Without the file there the grids go empty: nothing of the other account stays.
    logIn(other("empty"));
    EXPECT_FALSE(Dictionary().IsOpen());
    EXPECT_TRUE(column(kDIV, 0).isEmpty());
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("mnuRecent_0")), nullptr);

    logIn(account());
    QApplication::setActiveWindow(window.get());
    control<QAction>("mnuOpen").trigger();
    EXPECT_TRUE(filename().hasFocus());
    control<QAction>("mnuRecent_0").trigger();  // this account's own list
    EXPECT_EQ(Dictionary().name, QStringLiteral("ORDERS"));
    EXPECT_TRUE(column(kDIV, 0).contains(QStringLiteral("QTY")));
}

TEST_F(FileMenuTest, keysHighlightRowsAndReachEveryButtonAndMenuEntry) {
    makeOrders();
    login();
    QApplication::setActiveWindow(window.get());
    QStringList order;  // Tab from the file name box round to it again: the strip left to right
    filename().setFocus();
    for (int i = 0; i < 40 && (i == 0 || !filename().hasFocus()); ++i) {
        order << QApplication::focusWidget()->objectName();
        press(Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"txtFilename", "cmdOpen", "cmdMakeChild", "cmdExport", "cmdHelp",
                                  "cmbPhrase", "cmdExit", "tabBar", "txtFind", "TDBGrid1_2"}));

    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    grid::DataGrid& g = grid(kDIV);
    const auto S = Qt::ShiftModifier;
    const auto C = Qt::ControlModifier;
    const struct {
        int start;
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        std::vector<int> highlighted;
    } cases[] = {
        {1, {{Qt::Key_Space, S}}, {1}},
        {0, {{Qt::Key_Down, S}, {Qt::Key_Down, S}, {Qt::Key_Down, S}}, {0, 1, 2}},
        {2, {{Qt::Key_Space, S}, {Qt::Key_Up, S}, {Qt::Key_Up, S}, {Qt::Key_Down, S}}, {2, 1}},
        {0, {{Qt::Key_Space, C}, {Qt::Key_Down, {}}, {Qt::Key_Space, C}, {Qt::Key_Space, C}}, {0}},
        {0, {{Qt::Key_Space, C}, {Qt::Key_Down, {}}, {Qt::Key_Space, C}}, {0, 1}},
        {1, {{Qt::Key_F2, {}}, {Qt::Key_Space, S}}, {}},  // in an open cell, a space
    };
    for (const auto& c : cases) {
        g.SetHighlightedRows({});
        ASSERT_TRUE(g.SetCurrentRow(c.start));
        g.setFocus();
        for (const auto& [key, modifiers] : c.keys) {
            press(key, modifiers);
        }
        // As a vector: Qt's comparison of two empty lists hands memcmp a null pointer.
        const QList<int> rows = g.Highlights().Rows();
        EXPECT_EQ(std::vector<int>(rows.begin(), rows.end()), c.highlighted)
            << c.start << " " << c.keys.size();
    }
    g.CloseCellEditor();
    EXPECT_TRUE(g.Text().endsWith(QLatin1Char(' ')));
    g.CancelRow();

    dialogs.QueueFileName(std::nullopt);  // the export's file dialog, cancelled
    press(Qt::Key_E, S | C);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedDialogs::Kind::SaveFileName);

    dialogs.QueueInput(std::nullopt);  // the child table's name, cancelled
    g.SetHighlightedRows({rowOf(kDIV, "QTY")});
    g.setFocus();
    press(Qt::Key_T, S | C);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].kind, ScriptedDialogs::Kind::InputBox);

    // The next tab and the one before, round the ends, the focus on the grid shown.
    const QKeyCombination tabKeys[] = {C | Qt::Key_Tab, C | Qt::Key_Tab, C | S | Qt::Key_Backtab,
                                       C | Qt::Key_PageUp, C | Qt::Key_PageDown};
    const int tabs[] = {3, 0, 3, 2, 3};
    for (int i = 0; i < 5; ++i) {
        press(tabKeys[i].key(), tabKeys[i].keyboardModifiers());
        EXPECT_EQ(QApplication::focusWidget(), &grid(tabs[i])) << i;
    }
    int rowMenuEntries = 0;
    QTimer closeMenu;  // the menu runs modally: the timer reads and closes it
    closeMenu.callOnTimeout([&rowMenuEntries] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            rowMenuEntries = static_cast<int>(menu->actions().size());
            menu->close();
        }
    });
    closeMenu.start(0);
    press(Qt::Key_F10, S);
    EXPECT_EQ(rowMenuEntries, 2);
}

// Tools > Options...: saves without "Save?" and writes said in the status bar, kept for
// the next run; Cancel changes nothing. The questions left name their item.
TEST_F(FileMenuTest, quietOptionsSaveWithoutAskingReportInTheStatusBarAndAreKept) {
    openOrders();
    const auto setOptions = [this](bool confirm, bool statusBar, const char* button) {
        dialogs.QueueForm([=](QDialog& form) {
            form.findChild<QCheckBox*>(QStringLiteral("chkConfirmSaves"))->setChecked(confirm);
            form.findChild<QCheckBox*>(QStringLiteral("chkReportInStatusBar"))
                ->setChecked(statusBar);
            form.findChild<QPushButton*>(QLatin1String(button))->click();
        });
        control<QAction>("mnuOptions").trigger();
    };
    setOptions(false, true, "cmdOK");
    setOptions(true, false, "cmdCancel");
    EXPECT_EQ(vars.options, (UserOptions{false, true}));
    EXPECT_EQ(LoadUserOptions(), (UserOptions{false, true}));
    dialogs.clear();

    type(kDIV, rowOf(kDIV, "QTY"), {{3, QStringLiteral("MD3")}});
    leaveRow(kDIV);
    EXPECT_TRUE(dialogs.shown().empty()) << prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(onDisk("QTY").value(2), "MD3");
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("QTY record updated"));

    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    answer({Answer::Yes});
    grid(kOther).setFocus();
    QTest::keyClick(&grid(kOther), Qt::Key_Delete);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].prompt, QStringLiteral("Are you sure?"));
    EXPECT_EQ(dialogs.shown()[0].detail, QStringLiteral("Delete NEXT?"));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QStringLiteral("Record NEXT has been deleted"));

    // An I item saved: the compile offer names it.
    dialogs.clear();
    type(kDIV, rowOf(kDIV, "TOTAL"), {{3, QStringLiteral("MD0")}});
    answer({Answer::No});
    leaveRow(kDIV);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].detail, QStringLiteral("Compile TOTAL?"));
}

}  // namespace

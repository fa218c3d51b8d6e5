// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/ColumnWidths.h"
#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/mv/Session.h"
#include "platform/ui/TabControl.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

namespace {

// Counts what the main window sends to the session at shut-down.
class RecordingSession : public mv::Session {
public:
    explicit RecordingSession(QStringList& log) : log_(log) {}
    void Connect() override {
        log_ << QStringLiteral("Connect");
        mv::Session::Connect();
    }
    void Disconnect() override {
        log_ << QStringLiteral("Disconnect");
        mv::Session::Disconnect();
    }

private:
    QStringList& log_;
};

class MainWindowTest : public ::testing::Test {
protected:
    TempDir programDir;
    ScriptedDialogs dialogs;
    Variables vars{dialogs, programDir.path()};
    QStringList serverCalls;

    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt"),
                                programDir.filePath(QStringLiteral("Uvoaif.txt"))));
        ASSERT_TRUE(QDir().mkpath(account() + QStringLiteral("/D_ORDERS")));
        vars.sessionFactory = [this] { return std::make_unique<RecordingSession>(serverCalls); };
    }

    QString account() const { return programDir.filePath(QStringLiteral("account")); }

    // The login form, filled with an account path, then OK or Cancel.
    void queueLogin(const QString& accountPath, bool pressOk) {
        dialogs.QueueForm([accountPath, pressOk](QDialog& form) {
            form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(accountPath);
            form.findChild<QPushButton*>(pressOk ? QStringLiteral("cmdOK")
                                                 : QStringLiteral("cmdCancel"))
                ->click();
        });
    }

    template <typename W>
    static W* find(const QWidget& window, const char* name) {
        return window.findChild<W*>(QString::fromLatin1(name));
    }
};

TEST_F(MainWindowTest, cancelBeforeAnyOkEndsWithoutAServerCall) {
    frmKelvora window(vars);
    queueLogin(account(), false);

    EXPECT_FALSE(window.Form_Load());

    EXPECT_TRUE(serverCalls.isEmpty());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, failedOkThenCancelDisconnectsTheUnconnectedSession) {
    frmKelvora window(vars);
    dialogs.QueueForm([this](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))
            ->setText(programDir.filePath(QStringLiteral("no-such-account")));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        form.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    dialogs.QueueAnswer(ui::Answer::OK);  // the connect error

    EXPECT_FALSE(window.Form_Load());

    EXPECT_EQ(serverCalls, (QStringList{QStringLiteral("Connect"), QStringLiteral("Disconnect")}));
}

TEST_F(MainWindowTest, loginLeavesTheWindowReadyAndExitDisconnects) {
    frmKelvora window(vars);
    queueLogin(account(), true);

    ASSERT_TRUE(window.Form_Load());

    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Tabs()->Tab(), 2);
    EXPECT_FALSE(find<QPlainTextEdit>(window, "txtResult")->isVisibleTo(&window));
    EXPECT_EQ(window.focusWidget(), find<QLineEdit>(window, "txtFilename"));
    for (int i = 0; i < 2; ++i) {
        const QStringList entries = window.DropDown(i)->Entries();
        ASSERT_EQ(entries.size(), 12);
        EXPECT_EQ(entries.last(), QString());
    }

    find<QPushButton>(window, "cmdExit")->click();

    EXPECT_EQ(serverCalls, (QStringList{QStringLiteral("Connect"), QStringLiteral("Disconnect")}));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, exitAfterADictionaryWasOpenedClosesItsFileFirst) {
    frmKelvora window(vars);
    queueLogin(account(), true);
    ASSERT_TRUE(window.Form_Load());
    auto file = vars.session->OpenDictionary("ORDERS");
    ASSERT_TRUE(file);
    window.Dictionary().file = file;

    window.close();

    file->SetRecordId("ANY");
    file->Read();
    EXPECT_NE(file->Error(), 0);  // closed before the session went
    EXPECT_EQ(serverCalls.last(), QStringLiteral("Disconnect"));
}

TEST_F(MainWindowTest, defineChildTableIsEnabledOnlyOnTheDivTab) {
    frmKelvora window(vars);
    auto* makeChild = find<QPushButton>(window, "cmdMakeChild");
    ASSERT_TRUE(makeChild->isEnabled());

    window.Tabs()->SetTab(0);
    EXPECT_FALSE(makeChild->isEnabled());
    window.Tabs()->SetTab(1);  // from a tab other than 2: unchanged
    EXPECT_FALSE(makeChild->isEnabled());
    window.Tabs()->SetTab(2);
    EXPECT_TRUE(makeChild->isEnabled());
    window.Tabs()->SetTab(3);
    EXPECT_FALSE(makeChild->isEnabled());
}

TEST_F(MainWindowTest, designSizeGivesTheDesignColumnWidths) {
    frmKelvora window(vars);
    window.show();
    window.resize(1016, 723);
    QApplication::processEvents();

    EXPECT_DOUBLE_EQ(window.Grid(2)->WidthTwips(), 15075);
    EXPECT_DOUBLE_EQ(window.Grid(2)->ColumnWidthTwips(2), 3768.75);
    // At the design client size every caption has its room: the strip and the tabs keep
    // their design geometry.
    window.resize(1016, 723 + window.height() - window.centralWidget()->height());
    QApplication::processEvents();
    ASSERT_EQ(window.centralWidget()->size(), QSize(1016, 723));
    EXPECT_EQ(find<QWidget>(window, "Frame1")->geometry(), QRect(8, 0, 1001, 41));
    EXPECT_EQ(find<QWidget>(window, "Label1")->geometry(), QRect(16, 16, 73, 17));
    EXPECT_EQ(find<QWidget>(window, "cmdMakeChild")->geometry(), QRect(352, 11, 121, 25));
    EXPECT_EQ(find<QWidget>(window, "cmbPhrase")->geometry(), QRect(776, 13, 145, 24));
    EXPECT_EQ(find<QWidget>(window, "SSTab1")->geometry(), QRect(8, 56, 1005, 665));
    const double phrase = window.Grid(1)->ColumnWidthTwips(2);
    EXPECT_DOUBLE_EQ(phrase, 5 * window.Grid(1)->ColumnWidthTwips(0));
}

TEST_F(MainWindowTest, doublingTheWidthDoublesLeftsWidthsAndColumnsButNotHeights) {
    frmKelvora window(vars);
    window.show();
    window.resize(1016, 723);
    QApplication::processEvents();
    auto* open = find<QPushButton>(window, "cmdOpen");
    const QRect before = open->geometry();
    const double columnBefore = window.Grid(0)->ColumnWidthTwips(8);

    window.resize(2032, 723);
    QApplication::processEvents();

    EXPECT_NEAR(open->x(), 2 * before.x(), 1);
    EXPECT_NEAR(open->width(), 2 * before.width(), 1);
    EXPECT_EQ(open->y(), before.y());
    EXPECT_EQ(open->height(), before.height());
    EXPECT_NEAR(window.Grid(0)->ColumnWidthTwips(8), 2 * columnBefore, 15);
}

TEST_F(MainWindowTest, missingHelpFileIsReportedAndTheWindowGoesOn) {
    frmKelvora window(vars);
    dialogs.QueueAnswer(ui::Answer::OK);

    find<QPushButton>(window, "cmdHelp")->click();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown().front().prompt.contains(QStringLiteral("Kelvora.hlp")));
}

TEST_F(MainWindowTest, controlsCarryTheirCaptions) {
    frmKelvora window(vars);
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" Kelvora"));
    EXPECT_EQ(find<QPushButton>(window, "cmdOpen")->text(), QStringLiteral("&Open"));
    EXPECT_EQ(find<QPushButton>(window, "cmdHelp")->text(), QStringLiteral("&Help"));
    EXPECT_EQ(find<QPushButton>(window, "cmdExit")->text(), QStringLiteral("&Exit"));
    EXPECT_EQ(find<QPushButton>(window, "cmdMakeChild")->toolTip(),
              QStringLiteral("Highlight rows of D and I type and create new PH type"));
    EXPECT_EQ(find<QComboBox>(window, "cmbPhrase")->currentText(), QStringLiteral("All"));
    EXPECT_TRUE(find<QPushButton>(window, "cmdOpen")->font().bold());
    EXPECT_FALSE(find<QPushButton>(window, "cmdMakeChild")->font().bold());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.Grid(i)->objectName(), QStringLiteral("TDBGrid1_%1").arg(i));
    }
    EXPECT_EQ(window.Grid(2)->ColumnCaptions().at(2), QStringLiteral("Attribute Count or Formula"));
}

// A message is never drawn under the open dictionary's label, which gives way (whole in its
// tool tip); one wider than the whole bar is elided (whole in the bar's).
TEST_F(MainWindowTest, statusMessagesAreNotCutUnderTheOpenDictionary) {
    frmKelvora window(vars);
    window.resize(800, 600);
    window.show();
    const QStatusBar& bar = *window.statusBar();
    const QLabel& label = *find<QLabel>(window, "lblOpenDictionary");
    const QString caption = QStringLiteral("ORDERS in /srv/accounts/") + QString(100, u'x');
    window.ShowOpenDictionary(caption);
    for (const int repeats : {1, 10}) {
        const QString message = QStringLiteral("QTY renamed to AMOUNT. ").repeated(repeats);
        window.ShowStatus(message);
        QApplication::processEvents();
        EXPECT_LE(8 + bar.fontMetrics().horizontalAdvance(bar.currentMessage()), label.x());
        EXPECT_EQ(bar.toolTip() + label.toolTip(), (repeats == 1 ? QString() : message) + caption);
    }
    window.ShowStatus(QString());
    EXPECT_EQ(label.text(), caption);
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <filesystem>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "app/SampleRecords.h"
#include "app/ValuesPane.h"
#include "connection/TextBridge.h"
#include "platform/mv/Session.h"
#include "tests/editing/EditingFixture.h"
#include "tests/remote/CountingRelay.h"
#include "tests/remote/TestBackend.h"
#include "tests/support/MainWindowFixture.h"

namespace {

// The values pane over the demo account's ORDERS, whose data records it shows.
class ValuesPaneTest : public EditingFixtureOn<MainWindowFixture> {
protected:
    void SetUp() override {
        EditingFixtureOn<MainWindowFixture>::SetUp();
        std::filesystem::copy(KELVORA_SOURCE_DIR "/examples/demo", account().toStdString(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

    void openDemoOrders() {
        login();
        answer({ui::Answer::OK});  // the demo's ORDERS gains its @EMPTY.NULL item
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.allAnswersUsed());
        dialogs.clear();
    }

    app::ValuesPane& pane() const { return control<app::ValuesPane>("fraValues"); }
    QString shown() const { return control<QPlainTextEdit>("lstValues").toPlainText(); }

    // The pane's text once the answer to the newest request is in and holds `expected`.
    QString valuesWith(const QString& expected) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && (pane().ShownGeneration() != pane().NewestGeneration() ||
                                           !shown().contains(expected))) {
            QTest::qWait(2);
        }
        return shown();
    }
    ::testing::AssertionResult shows(const char* expected) const {
        const QString text = valuesWith(QString::fromLatin1(expected));
        if (text.contains(QString::fromLatin1(expected))) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the pane shows:\n" << text.toStdString();
    }
};

TEST_F(ValuesPaneTest, showsSavedAndTypedValuesOfTheCurrentRowBeforeAnySave) {
    openDemoOrders();
    QAction& values = control<QAction>("mnuValues");
    EXPECT_EQ(values.shortcut(), QKeySequence(Qt::Key_F4));
    window->ShowView(dictionary::ViewKind::DIV);
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    QElapsedTimer firstValues;
    firstValues.start();
    values.trigger();
    ASSERT_TRUE(pane().isVisible());

    // A D item: the first ten records in id order, the field as stored and as shown.
    QString text = valuesWith(QStringLiteral("10010"));
    std::printf("values of 10 records, first time (session, reads): %lld ms\n",
                static_cast<long long>(firstValues.elapsed()));
    EXPECT_TRUE(text.startsWith(QStringLiteral("QTY on 10 records of ORDERS\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("@ID    Stored  Shown"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("10011")));
    // Order 10002 has two lines: a value each, one below the other in its cell block.
    EXPECT_TRUE(text.contains(QStringLiteral("10002  8            8\n       11          11\n")))
        << text.toStdString();

    // An I item on records already read, then typed into a pending row and not saved.
    const int lineTotal = rowOf(kDIV, "LINE.TOTAL");
    QElapsedTimer switching;
    switching.start();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(lineTotal));
    EXPECT_TRUE(shows("10001  38445           384.45"));
    std::printf("values of 10 records, another row: %lld ms (evaluation %lld ms)\n",
                static_cast<long long>(switching.elapsed()),
                static_cast<long long>(pane().LastElapsedMs()));
    type(kDIV, lineTotal, {{2, QStringLiteral("QTY * 2")}});
    EXPECT_TRUE(shows("10001  22                0.22"));
    EXPECT_TRUE(shown().contains(QStringLiteral("as typed, not saved")));
    type(kDIV, lineTotal, {{3, QStringLiteral("MD1")}});
    EXPECT_TRUE(shows("10001  22                 2.2"));
    type(kDIV, lineTotal, {{2, QStringLiteral("SUBR('PRICING', QTY)")}});
    EXPECT_TRUE(shows("not evaluated here: SUBR"));
    type(kDIV, lineTotal, {{2, QStringLiteral("QTY *")}});
    EXPECT_TRUE(shows("expected an operand"));
    type(kDIV, lineTotal, {{2, QStringLiteral("ORDER.TOTAL + 1")}});
    EXPECT_TRUE(shows("a circular reference: LINE.TOTAL -> ORDER.TOTAL -> LINE.TOTAL"));
    type(kDIV, lineTotal, {{2, QStringLiteral("QTY")}, {3, QStringLiteral("TSTATES;X;1;1")}});
    EXPECT_TRUE(shows("TRANS: no file STATES in this account"));
    EXPECT_EQ(onDisk("LINE.TOTAL").value(1), QByteArray("MULS(QTY,PRICE)"));
    ASSERT_TRUE(grid(kDIV).CancelRow());
    EXPECT_TRUE(shows("10001  38445           384.45"));

    // A phrase: its fields side by side, a line per value position.
    window->ShowView(dictionary::ViewKind::PH);
    ASSERT_TRUE(grid(kPH).SetCurrentRow(rowOf(kPH, "ORDER.LINES")));
    EXPECT_TRUE(shows("@ID    PRODUCT.ID  QTY     PRICE       LINE.TOTAL"));
    EXPECT_TRUE(
        shown().contains(QStringLiteral("10002  SW-210           8      499.00       3992.00\n")))
        << shown().toStdString();
    EXPECT_TRUE(shown().contains(
        QStringLiteral("\n       SW-220          11       99.00       1089.00\n")));

    // Ids typed: those records only, a missing one said so; kept for the file, as is the
    // count chosen.
    QComboBox& count = control<QComboBox>("cmbValueCount");
    count.setCurrentText(QStringLiteral("25"));
    QLineEdit& ids = control<QLineEdit>("txtValueIds");
    ids.setText(QStringLiteral("10044 NOSUCH"));
    EXPECT_TRUE(shows("NOSUCH  no such record"));
    EXPECT_FALSE(shown().contains(QStringLiteral("10002")));
    EXPECT_TRUE(shown().contains(QStringLiteral("10044")));
    QMetaObject::invokeMethod(&ids, "editingFinished");
    open(QStringLiteral("CUSTOMERS"));
    EXPECT_TRUE(ids.text().isEmpty());
    EXPECT_TRUE(shows("on 10 records of CUSTOMERS"));
    EXPECT_EQ(count.currentText(), QStringLiteral("10"));
    open(QStringLiteral("ORDERS"));
    EXPECT_EQ(ids.text(), QStringLiteral("10044 NOSUCH"));
    EXPECT_EQ(count.currentText(), QStringLiteral("25"));
    control<QAction>("mnuValues").trigger();
    EXPECT_FALSE(pane().isVisible());
}

TEST_F(ValuesPaneTest, f6MovesTheFocusIntoThePaneAndBackToTheGrid) {
    openDemoOrders();
    window->ShowView(dictionary::ViewKind::DIV, /*focus=*/true);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(pane().isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &control<QPlainTextEdit>("lstValues"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &control<QLineEdit>("txtValueIds"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), &grid(kDIV));
}

// A second session that cannot log in: the pane says why in its text, asks nothing, and
// the window goes on working with its own session.
TEST_F(ValuesPaneTest, aSecondSessionThatCannotConnectIsSaidInThePane) {
    openDemoOrders();
    window->ShowView(dictionary::ViewKind::DIV);
    ASSERT_TRUE(QDir().rename(account(), account() + QStringLiteral(".moved")));
    control<QAction>("mnuValues").trigger();
    EXPECT_TRUE(
        shows("Values cannot be shown: a second session to the account could not be "
              "opened (code "));
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    EXPECT_TRUE(shows("Values cannot be shown"));
    EXPECT_TRUE(dialogs.shown().empty());
}

// Logging in to another account: the values are that account's records.
TEST_F(ValuesPaneTest, anotherLoginShowsTheRecordsOfTheAccountLoggedInTo) {
    const QString other = programDir.filePath(QStringLiteral("other"));
    std::filesystem::copy(account().toStdString(), other.toStdString(),
                          std::filesystem::copy_options::recursive);
    QFile record(other + QStringLiteral("/ORDERS/10001"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write("1001\n20457\n20458\nS\nHW-150\n77\n3495");
    record.close();
    openDemoOrders();
    window->ShowView(dictionary::ViewKind::DIV);
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    control<QAction>("mnuValues").trigger();
    EXPECT_TRUE(shows("10001  11"));

    const testbackend::Reach reach = testbackend::ReachFor(other.toStdString());
    dialogs.QueueForm([reach](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtHostName"))
            ->setText(QString::fromStdString(reach.host));
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))
            ->setText(QString::fromStdString(reach.account));
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    answer({ui::Answer::OK});  // the @EMPTY.NULL descriptor added there
    control<QAction>("mnuLogIn").trigger();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    EXPECT_TRUE(shows("10001  77"));
}

// Each keystroke in the cell being typed shows, while its editor is still open.
TEST_F(ValuesPaneTest, keystrokesInAnOpenCellShowBeforeTheCellIsLeft) {
    openDemoOrders();
    window->ShowView(dictionary::ViewKind::DIV, /*focus=*/true);
    control<QAction>("mnuValues").trigger();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "LINE.TOTAL")));
    grid(kDIV).SetCol(2);
    grid(kDIV).setFocus();
    QTest::keyClick(&grid(kDIV), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    // The first keystroke makes the row pending, which puts the cell's text back into
    // its editor once; the typing after it stays.
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, QStringLiteral(" "));
    QTest::qWait(20);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("QTY"));
    EXPECT_TRUE(shows("10001  11                0.11"));
    QTest::keyClicks(editor, QStringLiteral(" * 3"));
    EXPECT_TRUE(shows("10001  33                0.33"));
    EXPECT_EQ(onDisk("LINE.TOTAL").value(1), QByteArray("MULS(QTY,PRICE)"));
    // The window is not closed with a cell editor open: close it and drop the row.
    QTest::keyClick(editor, Qt::Key_Escape);
    grid(kDIV).CancelRow();
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

// Through a server that answers ITYPE: a saved I item's values are the server's, and
// where the item changed behind the window's back the cell shows Kelvora's value too.
TEST_F(ValuesPaneTest, aSavedItemsValuesComeFromTheServerAndADifferenceIsShown) {
    const std::string host = testbackend::ServeFolder(programDir.path().toStdString());
    dialogs.QueueForm([host](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtHostName"))
            ->setText(QString::fromStdString(host));
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))
            ->setText(QStringLiteral("account"));
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    window = std::make_unique<frmKelvora>(vars);
    ASSERT_TRUE(window->Form_Load());
    dialogs.clear();
    answer({ui::Answer::OK});
    open(QStringLiteral("ORDERS"));
    window->ShowView(dictionary::ViewKind::DIV);
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINE.TOTAL"),
              {"I", "QTY * PRICE * 2", "MD2", "Line", "12R", "M"});
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "LINE.TOTAL")));
    control<QAction>("mnuValues").trigger();

    EXPECT_TRUE(shows("I and V values from the server"));
    EXPECT_TRUE(
        shown().contains(QStringLiteral("10001  76890           768.90\n"
                                        "                 Kelvora: 384.45\n")))
        << shown().toStdString();
    type(kDIV, rowOf(kDIV, "LINE.TOTAL"), {{3, QStringLiteral("MD0")}});
    EXPECT_TRUE(shows("as typed, not saved; worked out by Kelvora"));
}

// On a server the pane's first values cost the second session's login, the file's opening
// with its select, and the reads with the server's values; then moving to another row
// costs one round trip for an I item, and one for a phrase of several I items (their
// values on every record in one batch), none for a D item: the records are read once.
// Counted outside the client.
TEST_F(ValuesPaneTest, onAServerARowCostsOneRoundTripOnceItsRecordsAreRead) {
    std::ofstream(account().toStdString() + "/D_ORDERS/TOTALS")
        << "PH\nORDER.TOTAL TAX GRAND.TOTAL";
    const std::string server = testbackend::ServeFolder(programDir.path().toStdString());
    const testbackend::CountingRelay relay(
        static_cast<std::uint16_t>(std::stoi(server.substr(server.find(':') + 1))));
    const std::string host = relay.Host();
    dialogs.QueueForm([host](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtHostName"))
            ->setText(QString::fromStdString(host));
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))
            ->setText(QStringLiteral("account"));
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    window = std::make_unique<frmKelvora>(vars);
    ASSERT_TRUE(window->Form_Load());
    dialogs.clear();
    answer({ui::Answer::OK});
    open(QStringLiteral("ORDERS"));
    window->ShowView(dictionary::ViewKind::DIV);
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "ORDER.TOTAL")));
    long long trips = relay.RoundTrips();
    control<QAction>("mnuValues").trigger();
    EXPECT_TRUE(shows("ORDER.TOTAL on 10 records of ORDERS: I and V values from the server"));
    EXPECT_EQ(relay.RoundTrips() - trips, 2 + 2);

    const struct Step {
        int view;
        const char* item;
        const char* heading;
        long long trips;
    } steps[] = {
        {kDIV, "TAX", "TAX on 10 records of ORDERS: I and V values from the server", 1},
        {kDIV, "PRICE", "PRICE on 10 records of ORDERS\n", 0},
        {kPH, "TOTALS", "TOTALS on 10 records of ORDERS: I and V values from the server", 1},
        {kDIV, "TAX", "TAX on 10 records of ORDERS: I and V values from the server", 0},
    };
    for (const Step& step : steps) {
        trips = relay.RoundTrips();
        window->ShowView(static_cast<dictionary::ViewKind>(step.view));
        ASSERT_TRUE(grid(step.view).SetCurrentRow(rowOf(step.view, step.item))) << step.item;
        EXPECT_TRUE(shows(step.heading));
        EXPECT_EQ(relay.RoundTrips() - trips, step.trips) << step.item;
    }
}

// The records are read once per file, whatever rows the pane moves through; a refresh,
// another file or a file without records start afresh.
TEST_F(ValuesPaneTest, sampleRecordsAreReadOncePerFileAndSayWhenThereAreNone) {
    makeDictionary(QStringLiteral("EMPTY"));
    mv::Session session;
    session.SetAccountPath(account().toStdString());
    session.Connect();
    app::SampleRecords records(session);
    std::string why;
    EXPECT_EQ(records.Take("ORDERS", {}, 10, why).size(), 10u);
    EXPECT_EQ(records.Take("ORDERS", {}, 10, why).back().id, "10010");
    EXPECT_EQ(records.Reads(), 10u);
    EXPECT_EQ(records.Take("ORDERS", {}, 25, why).size(), 25u);
    EXPECT_EQ(records.Reads(), 25u);
    records.Forget();
    EXPECT_EQ(records.Take("ORDERS", {"10001"}, 10, why).size(), 1u);
    EXPECT_EQ(records.Reads(), 26u);
    EXPECT_TRUE(why.empty());

    EXPECT_TRUE(records.Take("EMPTY", {}, 10, why).empty());
    EXPECT_EQ(why, "The data file EMPTY holds no records.");
    EXPECT_TRUE(records.Take("NOFILE", {}, 10, why).empty());
    EXPECT_EQ(why, "NOFILE has no data file: there are no values to show.");
}

}  // namespace

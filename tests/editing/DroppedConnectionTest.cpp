// SPDX-License-Identifier: MIT
#include <chrono>

#include <QFile>

#include "editing/CompileOffer.h"

#include "tests/editing/RemoteEditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;
using Cut = CuttingProxy::Cut;

class DroppedConnectionTest : public RemoteEditingFixture {
protected:
    // A row of A/S typed and not left, which must survive whatever happens to the
    // connection.
    void leavePendingAsRow() {
        type(kAS, rowOf(kAS, "ORD.QTY"), {{3, QStringLiteral("Typed, not saved")}});
        ASSERT_TRUE(grid(kAS).HasPendingRow());
    }

    void expectAsRowStillPending() {
        grid::DataGrid& as = grid(kAS);
        ASSERT_TRUE(as.HasPendingRow());
        as.SetCol(3);
        EXPECT_EQ(as.Text(), QStringLiteral("Typed, not saved"));
    }

    static std::string writtenBeforeDrop(const std::string& id) {
        return id +
               " was written before the connection dropped. | OK | Information | "
               "Connection lost";
    }
};

TEST_F(DroppedConnectionTest, aSaveAfterTheServerRestartedLogsInAgainAndKeepsOtherPendingRows) {
    openOrdersRemote();
    leavePendingAsRow();
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD0")}});
    restartServer();
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);

    EXPECT_EQ(boxes(),
              (Boxes{saveQuestion(), lostBox(kLost, "PRICE"), loginAgainBox(), written("PRICE")}));
    EXPECT_EQ(onDisk("PRICE").at(2), "MD0");
    EXPECT_TRUE(vars.session->IsActive());
    expectAsRowStillPending();

    // The pending row is saved on the new session.
    dialogs.clear();
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kAS), grid::CommitOutcome::Stored);
    EXPECT_EQ(onDisk("ORD.QTY").at(2), "Typed, not saved");
}

TEST_F(DroppedConnectionTest, declinedLoginKeepsTheRowPendingUntilALaterSaveLogsIn) {
    openOrdersRemote();
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD0")}});
    restartServer();
    answer({Answer::Yes, Answer::OK, Answer::No});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), lostBox(kLost, "PRICE"), loginAgainBox()}));
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());

    dialogs.clear();
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(onDisk("PRICE").at(2), "MD0");
}

TEST_F(DroppedConnectionTest, aWriteWhoseReplyWasLostIsFoundWrittenAfterTheNewLogin) {
    openOrdersRemote(true);
    leavePendingAsRow();
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD7")}});
    proxy().Arm(Cut::AfterReply, "MD7");
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);

    ASSERT_TRUE(proxy().Fired());
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), lostBox(kLost, "PRICE"), loginAgainBox(),
                              writtenBeforeDrop("PRICE")}));
    EXPECT_EQ(onDisk("PRICE").at(2), "MD7");
    EXPECT_EQ(column(kDIV, 3).at(rowOf(kDIV, "PRICE")), QStringLiteral("MD7"));
    expectAsRowStillPending();
    // The journal knows the write arrived: it can be undone.
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo save of PRICE"));
}

TEST_F(DroppedConnectionTest, aWriteThatNeverArrivedIsReportedNotWrittenAndStaysPending) {
    openOrdersRemote(true);
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD7")}});
    proxy().Arm(Cut::BeforeServer, "MD7");
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), lostBox(kLost, "PRICE"), loginAgainBox(),
                              "PRICE was not written: the server holds the item as before.\n"
                              "The row keeps what you typed: leave the row again to save it, "
                              "or press Esc to drop it. | OK | Exclamation | Connection lost"}));
    EXPECT_EQ(onDisk("PRICE").at(2), "MD2");
    ASSERT_TRUE(grid(kDIV).HasPendingRow());
    grid(kDIV).SetCol(3);
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("MD7"));
    EXPECT_EQ(editing.UndoText(), QString()) << "a change that never arrived is not undone";
}

TEST_F(DroppedConnectionTest, aDeleteWhoseReplyWasLostIsFoundDoneOrNotDone) {
    openOrdersRemote(true);
    // The read before the delete names the item too: the delete is the second.
    proxy().Arm(Cut::AfterReply, "NEXT", 1);
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    EXPECT_EQ(grid(kOther).DeleteRows(), 1);
    EXPECT_EQ(boxes().back(),
              "Record NEXT was deleted before the connection dropped. | OK | Information | "
              "Connection lost");
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
    EXPECT_EQ(rowOf(kOther, "NEXT"), -1);
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo delete of NEXT"));

    dialogs.clear();
    proxy().Arm(Cut::BeforeServer, "QTY", 1);
    answer({Answer::Yes, Answer::OK, Answer::Yes, Answer::OK});
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "QTY")});
    EXPECT_EQ(grid(kDIV).DeleteRows(), 0);
    EXPECT_EQ(boxes().back(),
              "Record QTY was not deleted: the server still holds it. | OK | Exclamation | "
              "Connection lost");
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    EXPECT_NE(rowOf(kDIV, "QTY"), -1);
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo delete of NEXT"));
}

TEST_F(DroppedConnectionTest, aReplyThatNeverComesEndsAtTheCallTimeLimit) {
    writeSettings("[login]\nCallTimeout=1\n");
    openOrdersRemote(true);
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD0")}});
    proxy().Arm(Cut::Silent);
    answer({Answer::Yes, Answer::OK, Answer::No});

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_EQ(
        boxes(),
        (Boxes{saveQuestion(),
               lostBox("The server did not answer in time; the connection was closed", "PRICE"),
               loginAgainBox()}));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
}

TEST_F(DroppedConnectionTest, anOpenAfterTheServerRestartedLogsInAgainAndOpens) {
    openOrdersRemote();
    restartServer();
    answer({Answer::OK, Answer::Yes});

    open(QStringLiteral("ORDERS"));

    EXPECT_EQ(boxes(), (Boxes{kLost + std::string(" -->Host: ") + host +
                                  " -->File: ORDERS | OK | Critical | UNIRPC Error",
                              loginAgainBox()}));
    EXPECT_NE(rowOf(kDIV, "PRICE"), -1);
    EXPECT_TRUE(vars.session->IsActive());
}

TEST_F(DroppedConnectionTest, aReadCutShortByADropReadsTheWholeDictionaryAfterTheNewLogin) {
    openOrdersRemote(true);
    proxy().Arm(Cut::BeforeServer, "PRICE");
    answer({Answer::OK, Answer::Yes});

    open(QStringLiteral("ORDERS"));

    ASSERT_TRUE(proxy().Fired());
    const Boxes shown = boxes();
    ASSERT_EQ(shown.size(), 2u);
    // Which read finds the connection gone depends on how far the reads ran ahead.
    EXPECT_EQ(shown[0].rfind(kLost + std::string(" -->Host: ") + host + " -->File: ORDERS", 0), 0u)
        << shown[0];
    EXPECT_EQ(shown[1], loginAgainBox());
    for (const char* id : {"QTY", "PRICE", "TOTAL"}) {
        EXPECT_NE(rowOf(kDIV, id), -1) << id;
    }
    EXPECT_NE(rowOf(kAS, "ORD.QTY"), -1);
    EXPECT_EQ(column(kDIV, 0).size(), 3);
}

TEST_F(DroppedConnectionTest, aCompileThatLostItsConnectionRunsAgainAfterTheNewLogin) {
    openOrdersRemote();
    restartServer();
    answer({Answer::Yes, Answer::OK, Answer::Yes});

    editing::CompileOffer(context).Offer(QStringLiteral("TOTAL"));

    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_EQ(boxes()[1], kLost + std::string(" -->Host: ") + host +
                              " -->File: Command -->Record: CD ORDERS TOTAL | OK | Critical | "
                              "UNIRPC Error");
    EXPECT_FALSE(screen.CompileAnswer().isEmpty());
    EXPECT_GT(onDisk("TOTAL").size(), 6) << "the compiled form is stored";
}

// An export whose connection drops part way leaves the file as it was; after the new
// login it runs again and writes the whole listing.
TEST_F(DroppedConnectionTest, anExportCutShortWritesNothingThenTheWholeListingAfterTheNewLogin) {
    openOrdersRemote(true);
    const QString path = programDir.filePath(QStringLiteral("orders.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the listing of yesterday\n");
    }
    proxy().Arm(Cut::BeforeServer, "PRICE");
    dialogs.QueueFileName(path);
    answer({Answer::OK, Answer::Yes});

    tools.cmdExport_Click();

    ASSERT_TRUE(proxy().Fired());
    const Boxes shown = boxes();
    ASSERT_EQ(shown.size(), 3u) << "file name, the drop, the question";
    EXPECT_EQ(shown[1].rfind(kLost + std::string(" -->Host: ") + host, 0), 0u) << shown[1];
    EXPECT_EQ(shown[2], loginAgainBox());
    QFile listing(path);
    ASSERT_TRUE(listing.open(QIODevice::ReadOnly));
    const QByteArray text = listing.readAll();
    for (const char* id : {"QTY", "PRICE", "TOTAL", "ORD.QTY", "NEXT"}) {
        EXPECT_TRUE(text.contains(id)) << id;
    }
    EXPECT_FALSE(text.contains("yesterday"));
    EXPECT_TRUE(screen.Status().contains(QStringLiteral("exported")))
        << screen.Status().toStdString();
}

TEST_F(DroppedConnectionTest, aChildTableThatLostItsConnectionIsDefinedOnTheNextTry) {
    openOrdersRemote();
    restartServer();
    grid(kDIV).SetHighlightedRows({rowOf(kDIV, "QTY"), rowOf(kDIV, "PRICE")});
    dialogs.QueueInput(QStringLiteral("ORDER.LINES"));
    answer({Answer::OK, Answer::Yes, Answer::OK});

    tools.cmdMakeChild_Click();

    Boxes shown = boxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1],
              kLost + std::string(" -->Host: ") + host +
                  " -->File: ORDERS -->Record: ORDER.LINES | OK | Critical | UNIRPC Error");
    EXPECT_EQ(shown[2], loginAgainBox());
    EXPECT_EQ(shown[3].rfind("The child table ORDER.LINES was not defined completely.", 0), 0u)
        << shown[3];
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("ORDER.LINES")));

    dialogs.clear();
    dialogs.QueueInput(QStringLiteral("ORDER.LINES"));
    answer({Answer::OK, Answer::OK});  // both items are single-valued; written
    tools.cmdMakeChild_Click();
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("ORDER.LINES")));
    EXPECT_EQ(onDisk("QTY").value(6), "ORDER.LINES");
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <regex>

#include "connection/SettingsFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"
#include "tests/remote/StandInServer.h"

// Another user's session on the same account, as a second process on the folder would be:
// what the window writes and what it leaves locked, through the record locks both see.
namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

class RecordLockTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        openOrders();
        ASSERT_EQ(mv::LocalEngine::Open(account().toStdString(), other_), mv::kOk);
        other_->SetIdentity({"ann", 7, ""});
        ASSERT_EQ(other_->OpenDictionary("ORDERS", otherFile_), mv::kOk);
    }
    // Whether the other user can lock id now; the lock is let go again at once.
    bool otherCanLock(const char* id) {
        if (other_->Lock(otherFile_, id, mv::kLockExclusive) != mv::kOk) {
            return false;
        }
        other_->Release(otherFile_, id);
        return true;
    }
    static std::string lockedBox(const std::string& id) {
        return id +
               " is locked by ann (user 7) since HH:MM. Your changes are kept; save the row "
               "again later. | OK | Exclamation | Kelvora";
    }
    // The boxes shown, with the time a lock was taken written HH:MM.
    Boxes boxesAtAnyTime() const {
        Boxes shown = boxes();
        for (std::string& box : shown) {
            box = std::regex_replace(box, std::regex("since [0-9]{2}:[0-9]{2}"), "since HH:MM");
        }
        return shown;
    }

    std::shared_ptr<mv::LocalEngine> other_;
    int otherFile_ = 0;
};

TEST_F(RecordLockTest, aRowLocksItsItemWhileTypedAndASaveNeverWritesOverAnotherUsersLock) {
    // The other user holds QTY: typing says so at once, the save writes nothing and keeps
    // the row as typed; once released, the same row saves.
    ASSERT_EQ(other_->Lock(otherFile_, "QTY", mv::kLockExclusive), mv::kOk);
    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Amount")}});
    EXPECT_TRUE(std::regex_match(screen.Status().toStdString(),
                                 std::regex("QTY is locked by ann \\(user 7\\) since [0-9:]{5}")))
        << screen.Status().toStdString();
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);
    EXPECT_EQ(boxesAtAnyTime(), (Boxes{saveQuestion(), lockedBox("QTY")}));
    EXPECT_EQ(onDisk("QTY"), (Fields{"D Quantity", "3", "", "Qty", "5R", "S"}));
    ASSERT_TRUE(grid(kDIV).HasPendingRow());
    grid(kDIV).SetCol(4);
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("Amount"));

    other_->Release(otherFile_, "QTY");
    dialogs.clear();
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(onDisk("QTY")[3], "Amount");
    EXPECT_TRUE(otherCanLock("QTY"));  // the write released it

    // A row being typed holds its item; answering No to Save? lets it go.
    type(kDIV, rowOf(kDIV, "PRICE"), {{4, QStringLiteral("Cost")}});
    EXPECT_FALSE(otherCanLock("PRICE"));
    dialogs.clear();
    answer({Answer::No});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Reread);
    EXPECT_TRUE(otherCanLock("PRICE"));

    // A change dropped for what the account holds now lets the lock go too, and Escape.
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"),
              {"I", "QTY * PRICE * 2", "MD2", "Total", "10R", "S"});
    type(kDIV, rowOf(kDIV, "TOTAL"), {{4, QStringLiteral("Sum")}});
    dialogs.clear();
    answer({Answer::Yes});
    ConflictSeen seen;
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {}, &seen));
    leaveRow(kDIV);
    EXPECT_TRUE(otherCanLock("TOTAL"));
    EXPECT_EQ(onDisk("TOTAL")[1], "QTY * PRICE * 2");
    type(kOther, rowOf(kOther, "NEXT"), {{2, QStringLiteral("7")}});
    EXPECT_FALSE(otherCanLock("NEXT"));
    EXPECT_TRUE(grid(kOther).CancelRow());
    EXPECT_TRUE(otherCanLock("NEXT"));

    // With LockWhileEditing=no only the save locks.
    ASSERT_TRUE(SettingsFile(vars.programFolder).Write(SettingsFile::kLockWhileEditing, "no"));
    type(kOther, rowOf(kOther, "NEXT"), {{2, QStringLiteral("8")}});
    EXPECT_TRUE(otherCanLock("NEXT"));
}

// A delete that meets another user's lock says that nothing was deleted.
TEST_F(RecordLockTest, aDeleteOfALockedItemSaysNothingWasDeleted) {
    ASSERT_EQ(other_->Lock(otherFile_, "NEXT", mv::kLockExclusive), mv::kOk);
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(grid(kOther).DeleteRows(), 0);
    EXPECT_EQ(boxesAtAnyTime(), (Boxes{"Are you sure? | YesNo | None | Delete?",
                                       "NEXT is locked by ann (user 7) since HH:MM; nothing was "
                                       "deleted. | OK | Exclamation | Kelvora"}));
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
}

// The lock is taken at the first keystroke in a cell editor, not when the editor closes:
// whoever starts typing first holds the item. An editor closed with Escape lets it go.
TEST_F(RecordLockTest, theFirstKeystrokeInACellTakesTheLockAndEscapeLetsItGo) {
    grid::DataGrid& g = grid(kDIV);
    ASSERT_TRUE(g.SetCurrentRow(rowOf(kDIV, "PRICE")));
    g.SetCol(4);
    QTest::keyClick(&g, Qt::Key_C);
    auto* editor = g.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("c"));
    EXPECT_FALSE(g.HasPendingRow());  // the editor is still open
    EXPECT_FALSE(otherCanLock("PRICE"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(g.HasPendingRow());
    EXPECT_TRUE(otherCanLock("PRICE"));
}

// ORDERS through a stand-in server of the given kind.
class OddServerTest : public EditingFixture {
protected:
    void OpenThrough(testbackend::StandInServer::Locks locks,
                     testbackend::StandInServer::Writes writes) {
        server_ = std::make_unique<testbackend::StandInServer>(
            programDir.path().toStdString(), testbackend::StandInServer::Handles::Integer, locks,
            writes);
        ASSERT_TRUE(Load_ErrorTable(vars));
        vars.session = vars.sessionFactory();
        vars.session->SetHostName("127.0.0.1:" + std::to_string(server_->Port()));
        vars.session->SetAccountPath("account");
        vars.session->Connect();
        ASSERT_EQ(vars.session->Error(), 0);
        vars.LoginSucceeded = true;
        vars.DatabaseType = QStringLiteral("UniVerse");
        open(QStringLiteral("ORDERS"));
    }
    std::unique_ptr<testbackend::StandInServer> server_;
};

// A server that keeps no record locks: the refusal is reported once, and the saves go on
// without locks rather than being refused.
TEST_F(OddServerTest, aServerWithoutLocksIsSaidOnceAndSavesGoOn) {
    makeOrders();
    OpenThrough(testbackend::StandInServer::Locks::Unknown,
                testbackend::StandInServer::Writes::Allowed);
    dialogs.clear();

    type(kDIV, rowOf(kDIV, "QTY"), {{4, QStringLiteral("Amount")}});
    EXPECT_EQ(screen.Status(), QStringLiteral("The server refused to lock QTY (code 81025): rows "
                                              "are changed without locks"));
    answer({Answer::Yes, Answer::OK, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(boxes(),
              (Boxes{saveQuestion(),
                     "The server refused to lock QTY (code 81025). Kelvora goes on without record "
                     "locks on this dictionary: a change another user makes at the same moment as "
                     "yours may be overwritten. | OK | Exclamation | Kelvora",
                     written("QTY")}));
    EXPECT_EQ(onDisk("QTY")[3], "Amount");

    dialogs.clear();
    type(kDIV, rowOf(kDIV, "PRICE"), {{4, QStringLiteral("Cost")}});
    answer({Answer::Yes, Answer::OK});
    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Stored);
    EXPECT_EQ(boxes(), (Boxes{saveQuestion(), written("PRICE")}));
    EXPECT_EQ(onDisk("PRICE")[3], "Cost");
}

// An account that refuses writes: the open says so once in the status line instead of a
// failed write of @EMPTY.NULL, and the grids take no typing that could not be saved.
TEST_F(OddServerTest, aDictionaryTheAccountWillNotLetBeWrittenIsShownReadOnly) {
    makeOrders();
    ASSERT_TRUE(
        QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/@EMPTY.NULL")));
    OpenThrough(testbackend::StandInServer::Locks::Kept,
                testbackend::StandInServer::Writes::Refused);

    EXPECT_EQ(boxes(), Boxes{});
    EXPECT_EQ(screen.Status(), QStringLiteral("ORDERS is read-only here"));
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "QTY")));
    grid(kDIV).SetCol(4);
    EXPECT_FALSE(grid(kDIV).SetText(QStringLiteral("Amount")));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
}

}  // namespace

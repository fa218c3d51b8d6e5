// SPDX-License-Identifier: MIT
#include <QFile>

#include <regex>

#include "core/JournalFormat.h"
#include "dictionary/ChangeJournal.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

class RenameTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        qputenv("XDG_DATA_HOME", QFile::encodeName(programDir.filePath(QStringLiteral("data"))));
    }
    // Renames the item of the row, typing `name` into the input box and answering the
    // rest; the boxes shown come back.
    Boxes rename(const char* id, const char* name, std::initializer_list<Answer> answers = {}) {
        dialogs.clear();
        grid(kDIV).SetCurrentRow(rowOf(kDIV, id));
        dialogs.QueueInput(QString::fromLatin1(name));
        answer(answers);
        editing.Rename(kDIV);
        EXPECT_TRUE(dialogs.allAnswersUsed());
        return boxes();
    }
    static std::string refusal(const std::string& text) {
        return text + " | OK | Exclamation | Rename";
    }
    std::vector<core::JournalGroup> groupsOnFile() const {
        QFile file(Dictionary().journal->Path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return core::DecodeJournal(file.readAll().toStdString()).groups;
    }

    // More fields than the D/I/V tab shows, and a value mark: a rename keeps them all.
    const Fields kQty{"D Quantity", "3", "", "Qty", "5R", "S", "", "", "kept\xFDtoo"};
    const std::string kInput = "input: New name for QTY: | Rename";
};

TEST_F(RenameTest, aRenameMovesTheItemAndItsPhrasesAsOneChangeAndRefusesWhatItCannotDoSafely) {
    makeOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), kQty);
    login();
    open(QStringLiteral("ORDERS"));
    std::shared_ptr<mv::LocalEngine> other;
    int otherFile = 0;
    ASSERT_EQ(mv::LocalEngine::Open(account().toStdString(), other), mv::kOk);
    ASSERT_EQ(other->OpenDictionary("ORDERS", otherFile), mv::kOk);
    other->SetIdentity({"ann", 7, ""});
    const int divRows = counter(kDIV);

    // Refused before anything is asked or written: a name taken, the item locked.
    EXPECT_EQ(rename("QTY", "PRICE", {Answer::OK}),
              (Boxes{kInput, refusal("An item PRICE already exists in ORDERS. A rename never "
                                     "replaces another item: choose another name.")}));
    ASSERT_EQ(other->Lock(otherFile, "QTY", mv::kLockExclusive), mv::kOk);
    const Boxes refused = rename("QTY", "AMOUNT", {Answer::OK});
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(std::regex_match(refused[1], std::regex("QTY is locked by ann \\(user 7\\) since "
                                                        "[0-9:]{5}; nothing was renamed\\. \\| OK "
                                                        "\\| Exclamation \\| Kelvora")))
        << refused[1];
    other->Release(otherFile, "QTY");
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("AMOUNT")));

    // The I item that names QTY is named; Yes renames, in a grid the find box narrows.
    tools.SetFindText(QStringLiteral("qty"));
    EXPECT_EQ(rename("QTY", "AMOUNT", {Answer::Yes}),
              (Boxes{kInput,
                     "QTY is used by TOTAL. Their expressions are left as they are and "
                     "will go on naming QTY, not AMOUNT. Rename it all the same? | "
                     "YesNo | Exclamation | Rename"}));
    EXPECT_EQ(onDisk("AMOUNT"), kQty);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    EXPECT_EQ(onDisk("LINES"), (Fields{"PH", "AMOUNT PRICE TOTAL"}));
    EXPECT_EQ(onDisk("TOTAL")[1], "QTY * PRICE");
    EXPECT_EQ(column(kDIV, 0), (QStringList{QStringLiteral("AMOUNT"), QStringLiteral("TOTAL")}));
    EXPECT_EQ(screen.Status(), QStringLiteral("QTY renamed to AMOUNT; the phrases that listed it "
                                              "list the new name"));
    tools.SetFindText(QString());
    EXPECT_EQ(rowOf(kDIV, "QTY"), -1);
    EXPECT_GE(rowOf(kDIV, "AMOUNT"), 0);
    EXPECT_EQ(counter(kDIV), divRows);
    EXPECT_EQ(column(kPH, 2), QStringList{QStringLiteral("AMOUNT PRICE TOTAL")});
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo rename of QTY to AMOUNT"));

    // One undo takes all of it back, one redo makes it again; the file groups each.
    dialogs.clear();
    ASSERT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("AMOUNT")));
    EXPECT_EQ(onDisk("LINES"), (Fields{"PH", "QTY PRICE TOTAL"}));
    EXPECT_GE(rowOf(kDIV, "QTY"), 0);
    EXPECT_EQ(rowOf(kDIV, "AMOUNT"), -1);
    EXPECT_EQ(editing.RedoText(), QStringLiteral("Redo rename of QTY to AMOUNT"));
    ASSERT_TRUE(editing.Redo());
    EXPECT_EQ(onDisk("AMOUNT"), kQty);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    EXPECT_EQ(onDisk("LINES")[1], "AMOUNT PRICE TOTAL");
    EXPECT_EQ(boxes(), Boxes{});
    const std::vector<core::JournalGroup> groups = groupsOnFile();
    ASSERT_EQ(groups.size(), 3u);  // the rename, its undo, its redo
    for (const core::JournalGroup& group : groups) {
        EXPECT_EQ(group.from, "QTY");
        EXPECT_EQ(group.to, "AMOUNT");
        EXPECT_EQ(group.last - group.first, 2u) << "the new item, the old one, the phrase";
    }

    // An undo that cannot bring the old name back (another session locks it) has already
    // put the phrase back by then: the phrase goes forward again, and the rename stays
    // whole and undoable once the lock is gone.
    ASSERT_EQ(other->Lock(otherFile, "QTY", mv::kLockExclusive), mv::kOk);
    answer({Answer::OK});
    EXPECT_FALSE(editing.Undo());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].rfind("QTY is locked by ann (user 7) since ", 0), 0u) << boxes()[0];
    EXPECT_EQ(onDisk("LINES"), (Fields{"PH", "AMOUNT PRICE TOTAL"}));
    EXPECT_EQ(onDisk("AMOUNT"), kQty);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY")));
    EXPECT_EQ(column(kPH, 2), QStringList{QStringLiteral("AMOUNT PRICE TOTAL")});
    EXPECT_EQ(screen.Status(),
              QStringLiteral("The rename of QTY to AMOUNT was not undone: nothing was changed."));
    EXPECT_EQ(editing.UndoText(), QStringLiteral("Undo rename of QTY to AMOUNT"));
    other->Release(otherFile, "QTY");
    dialogs.clear();
    ASSERT_TRUE(editing.Undo());
    EXPECT_EQ(onDisk("QTY"), kQty);
    EXPECT_EQ(onDisk("LINES")[1], "QTY PRICE TOTAL");
    ASSERT_TRUE(editing.Redo());

    // An item changed in the account since it was read is not renamed; its row shows it.
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("AMOUNT"), {"D Amount", "3"});
    EXPECT_EQ(rename("AMOUNT", "QTY2", {Answer::OK}).back(),
              refusal("AMOUNT was changed in the account after it was read. Its rows now show "
                      "the account's version. Nothing was renamed."));
    EXPECT_EQ(column(kDIV, 1).at(rowOf(kDIV, "AMOUNT")), QStringLiteral("D Amount"));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("QTY2")));
}

}  // namespace

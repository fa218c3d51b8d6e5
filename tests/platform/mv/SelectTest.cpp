// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/mv/ErrorCodes.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using Ids = std::vector<std::string>;

// A dictionary whose orders are known: field 1 the type, field 2 the location, with
// numbers, numbers written differently, text, an empty value and a multi-valued field.
class Select : public ::testing::Test {
protected:
    void SetUp() override {
        account_.MakeDictionary("T");
        const std::vector<std::pair<std::string, std::string>> items = {
            {"A", "D\n10"}, {"B", "D\n9"}, {"C", "D\n-1"},      {"D1", "D\n1.5\nPrice"},
            {"E", "I\nA"},  {"F", "D\n"},  {"G", "PH\nX\xFDY"}, {"H", "D\n9"},
            {"J", "D\n09"}, {"K", "I\n-5"}};
        for (const auto& [id, bytes] : items) {
            account_.WriteFile("T", id, bytes);
        }
        session_ = account_.Connect();
    }

    Ids Run(const std::string& text) {
        session_->Command().SetText(text);
        session_->Command().Exec();
        EXPECT_EQ(session_->Command().Error(), 0) << session_->Command().Response();
        Ids ids;
        ServerSelectList& list = session_->SelectList(0);
        for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
            ids.push_back(id);
        }
        return ids;
    }

    test::TempAccount account_;
    std::unique_ptr<Session> session_;
};

TEST_F(Select, TheUniVerseCommandSortsByTypeThenLocation) {
    EXPECT_EQ(Run("SSELECT DICT T BY F1 BY RLOCATION"),
              (Ids{"F", "C", "D1", "B", "H", "J", "A", "K", "E", "G"}));
}

TEST_F(Select, TheUniDataCommandSortsByLocationThenId) {
    EXPECT_EQ(Run("SSELECT DICT T BY LOC BY @ID"),
              (Ids{"F", "K", "C", "D1", "B", "H", "J", "A", "E", "G"}));
}

TEST_F(Select, DescendingKeysReverseOnlyThemselves) {
    // Equal locations (9, 9, 09) still fall to the id in ascending order.
    EXPECT_EQ(Run("SSELECT DICT T BY.DSND LOC"),
              (Ids{"G", "E", "A", "B", "H", "J", "D1", "C", "K", "F"}));
    EXPECT_EQ(Run("SSELECT DICT T BY.DSND F1 BY @ID"),
              (Ids{"G", "E", "K", "A", "B", "C", "D1", "F", "H", "J"}));
}

TEST_F(Select, FieldNamesSortLeftJustified) {
    EXPECT_EQ(Run("SSELECT DICT T BY F2"),
              (Ids{"F", "C", "K", "J", "D1", "A", "B", "H", "E", "G"}));
    EXPECT_EQ(Run("SSELECT DICT T BY F3 BY TYPE"),
              (Ids{"A", "B", "C", "F", "H", "J", "E", "K", "G", "D1"}));
}

TEST_F(Select, WithoutSortKeysSselectSortsByIdAndSelectKeepsDirectoryOrder) {
    EXPECT_EQ(Run("SSELECT DICT T"), (Ids{"A", "B", "C", "D1", "E", "F", "G", "H", "J", "K"}));
    Ids directoryOrder;
    for (const auto& entry : fs::directory_iterator(account_.DictionaryPath("T"))) {
        directoryOrder.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(Run("SELECT DICT T"), directoryOrder);
}

TEST_F(Select, VerbsAndKeywordsIgnoreCaseAndBlanksButTheFileNameDoesNot) {
    const Ids expected = Run("SSELECT DICT T BY LOC BY @ID");
    EXPECT_EQ(Run("  sselect\tdict T   by loc by @id  "), expected);
    session_->Command().SetText("SSELECT DICT t");
    session_->Command().Exec();
    EXPECT_EQ(session_->Command().Error(), kUnknownFileInCommand);
}

TEST_F(Select, TheResponseCountsTheSelectedRecords) {
    Run("SSELECT DICT T");
    EXPECT_EQ(session_->Command().Response(), "10 records selected to SELECT list #0.");
    account_.MakeDictionary("ONE");
    account_.WriteFile("ONE", "X", "");
    Run("SSELECT DICT ONE BY F1");
    EXPECT_EQ(session_->Command().Response(), "1 record selected to SELECT list #0.");
    account_.MakeDictionary("NONE");
    EXPECT_EQ(Run("SSELECT DICT NONE"), Ids{});
    EXPECT_EQ(session_->Command().Response(), "0 records selected to SELECT list #0.");
}

TEST_F(Select, OnlyEscapedRegularFilesAreItems) {
    account_.MakeDictionary("S");
    account_.WriteFile("S", "%3C", "D");  // the id "<"
    account_.WriteFile("S", ".kelvora-tmp-99-1", "half written");
    account_.WriteFile("S", "%zz", "not an escape");
    account_.WriteFile("S", "%41", "A, spelt as no write would");
    fs::create_directory(account_.DictionaryPath("S") / "SUB");
    EXPECT_EQ(Run("SSELECT DICT S BY F1"), Ids{"<"});
}

TEST_F(Select, TheListRestartsWithEachSelectAndStaysExhausted) {
    Run("SSELECT DICT T");
    ServerSelectList& list = session_->SelectList(0);
    EXPECT_TRUE(list.LastRecordRead());
    EXPECT_EQ(list.Next(), "");
    EXPECT_TRUE(list.LastRecordRead());

    session_->Command().SetText("SSELECT DICT T BY F1");
    session_->Command().Exec();
    EXPECT_FALSE(list.LastRecordRead());
    EXPECT_EQ(list.Count(), 10u);
    EXPECT_EQ(list.Next(), "A");
}

// Reads right after a sorting select must still see every change made since.
TEST_F(Select, ReadsAfterASelectSeeLaterChanges) {
    Run("SSELECT DICT T BY F1 BY RLOCATION");
    const auto file = session_->OpenDictionary("T");
    ASSERT_NE(file, nullptr);

    account_.WriteFile("T", "A", "D\n10\nchanged in place");
    file->SetRecordId("A");
    file->Read();
    EXPECT_EQ(file->Record().Text(),
              "D\xFE"
              "10\xFE"
              "changed in place");

    file->SetRecordId("B");
    file->SetRecord(
        DynamicArray("D\xFE"
                     "99"));
    file->Write();
    file->Read();
    EXPECT_EQ(file->Record().Text(),
              "D\xFE"
              "99");

    fs::remove(account_.DictionaryPath("T") / "C");
    file->SetRecordId("C");
    file->Read();
    EXPECT_EQ(file->Error(), kRecordNotFound);

    file->SetRecordId("E");
    file->Read();
    EXPECT_EQ(file->Record().Text(),
              "I\xFE"
              "A");
    file->Read();  // a second read of the same item
    EXPECT_EQ(file->Record().Text(),
              "I\xFE"
              "A");
}

// The account's files stand in for a VOC: every dictionary folder the engine would open,
// and nothing else (a stray folder, a file named like a dictionary).
TEST_F(Select, SselectVocListsTheAccountsFilesSortedAndNothingElse) {
    account_.MakeDictionary("Orders");
    account_.MakeDictionary("ORDERS");
    fs::create_directory(account_.Path() / "notadictionary");
    account_.WriteFile("T", "D_FAKE", "X");
    std::ofstream(account_.Path() / "D_PLAIN") << "a plain file";

    EXPECT_EQ(Run("SSELECT VOC"), (Ids{"ORDERS", "Orders", "T"}));
    EXPECT_EQ(Run("sselect voc"), (Ids{"ORDERS", "Orders", "T"}));
    // The selection of file pointers, which a server's VOC needs, is the whole of it.
    EXPECT_EQ(Run(R"(SSELECT VOC WITH F1 LIKE "F..." OR WITH F1 LIKE "Q...")"),
              (Ids{"ORDERS", "Orders", "T"}));

    // VOC with anything after it is not this command.
    session_->Command().SetText("SSELECT VOC BY F1");
    session_->Command().Exec();
    EXPECT_EQ(session_->Command().Error(), kCommandSyntax);
}

}  // namespace
}  // namespace mv

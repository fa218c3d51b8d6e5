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

void WriteRecord(const test::TempAccount& account, const std::string& file, const std::string& id,
                 const std::string& bytes) {
    fs::create_directories(account.Path() / file);
    std::ofstream(account.Path() / file / id, std::ios::binary) << bytes;
}

// The file F: item A of its dictionary and record A of its data differ.
class DataFiles : public ::testing::Test {
protected:
    void SetUp() override {
        account_.MakeDictionary("F");
        account_.WriteFile("F", "A", "D\n1");
        WriteRecord(account_, "F", "A", "data\nA");
        session_ = account_.Connect();
    }

    std::string ReadText(DictionaryFile& file, const std::string& id) {
        file.SetRecordId(id);
        file.Read();
        return file.Error() == kOk ? file.Record().Text() : "error " + std::to_string(file.Error());
    }

    test::TempAccount account_;
    std::unique_ptr<Session> session_;
};

TEST_F(DataFiles, RecordsAreReadWrittenAndDeletedBesideTheDictionary) {
    const auto data = session_->OpenFile("F");
    const auto dictionary = session_->OpenDictionary("F");
    ASSERT_NE(data, nullptr);
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(ReadText(*data, "A"),
              "data\xFE"
              "A");
    EXPECT_EQ(ReadText(*dictionary, "A"),
              "D\xFE"
              "1");

    // Every byte of a record survives, marks and 8-bit text included.
    const std::string record = "x\xFDy\xFCz\xFE\xE9\xFB";
    data->SetRecordId("R/1");
    data->SetRecord(DynamicArray(record));
    data->Write();
    ASSERT_EQ(data->Error(), kOk);
    EXPECT_EQ(test::FileBytes(account_.Path() / "F" / "R%2F1"), "x\xFDy\xFCz\n\xE9\xFB");
    EXPECT_EQ(ReadText(*data, "R/1"), record);
    EXPECT_EQ(ReadText(*dictionary, "R/1"), "error " + std::to_string(kRecordNotFound));

    data->SetRecordId("A");
    data->DeleteRecord();
    EXPECT_EQ(data->Error(), kOk);
    EXPECT_FALSE(fs::exists(account_.Path() / "F" / "A"));
    EXPECT_EQ(account_.ReadFile("F", "A"), "D\n1");
}

TEST_F(DataFiles, RecordLocksAreApartFromTheDictionarysLocks) {
    const auto data = session_->OpenFile("F");
    ASSERT_NE(data, nullptr);
    data->SetRecordId("A");
    data->ReadForUpdate();
    ASSERT_EQ(data->Error(), kOk);

    const auto other = account_.Connect();
    const auto otherDictionary = other->OpenDictionary("F");
    const auto otherData = other->OpenFile("F");
    ASSERT_NE(otherData, nullptr);
    otherDictionary->SetRecordId("A");
    otherDictionary->LockRecord();
    EXPECT_EQ(otherDictionary->Error(), kOk);
    otherData->SetRecordId("A");
    otherData->LockRecord();
    EXPECT_EQ(otherData->Error(), kRecordLocked);
    otherData->SetRecord(DynamicArray("changed"));
    otherData->Write();
    EXPECT_EQ(otherData->Error(), kRecordLocked);
    EXPECT_EQ(test::FileBytes(account_.Path() / "F" / "A"), "data\nA");
}

TEST_F(DataFiles, AFileWithOnlyADictionaryHasNoRecordsUntilOneIsWritten) {
    account_.MakeDictionary("G");
    const auto data = session_->OpenFile("G");
    ASSERT_NE(data, nullptr) << session_->Error();
    EXPECT_EQ(ReadText(*data, "X"), "error " + std::to_string(kRecordNotFound));
    session_->Command().SetText("SSELECT G");
    session_->Command().Exec();
    EXPECT_EQ(session_->Command().Error(), kOk) << session_->Command().Response();
    EXPECT_EQ(session_->SelectList(0).Count(), 0u);

    data->SetRecordId("X");
    data->ReadForUpdate();  // a new record is locked before it is written
    EXPECT_EQ(data->Error(), kRecordNotFound);
    data->SetRecord(DynamicArray("new"));
    data->Write();
    EXPECT_EQ(data->Error(), kOk);
    EXPECT_EQ(test::FileBytes(account_.Path() / "G" / "X"), "new");
    session_->Command().Exec();
    EXPECT_EQ(session_->SelectList(0).Count(), 1u);

    EXPECT_EQ(session_->OpenFile("NONE"), nullptr);
    EXPECT_EQ(session_->Error(), kNoSuchDictionary);
}

// No name reaches another folder than the file's own: not the account, its parent, a
// dictionary, a hidden folder, nor a link's target.
TEST_F(DataFiles, NamesThatWouldReachAnotherFolderAreRefused) {
    account_.MakeDictionary("LINK");
    fs::create_directory(account_.Parent() / "outside");
    fs::create_directory_symlink(account_.Parent() / "outside", account_.Path() / "LINK");
    const auto before = account_.Snapshot();
    for (const std::string name : {"..", ".", "a/b", "../F", "D_F", ".hidden", "", "a b"}) {
        EXPECT_EQ(session_->OpenFile(name), nullptr) << name;
        EXPECT_EQ(session_->Error(), kBadFileName) << name;
    }
    const auto link = session_->OpenFile("LINK");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(ReadText(*link, "X"), "error " + std::to_string(kRecordNotFound));
    link->SetRecord(DynamicArray("escaped"));
    link->Write();
    EXPECT_EQ(link->Error(), kWriteFailed);
    EXPECT_EQ(account_.Snapshot(), before);
}

// A dictionary of fields of every kind a select can use, and records whose orders are known.
class DataSelect : public ::testing::Test {
protected:
    void SetUp() override {
        account_.MakeDictionary("P");
        account_.WriteFile("P", "NAME", "D\n1\n\nName\n10L\nS");
        account_.WriteFile("P", "AMOUNT", "D\n2\nMD2\nAmount\n8R\nS");
        account_.WriteFile("P", "TAGS", "D Tags\n3\n\nTags\n5L\nM");
        account_.WriteFile("P", "CODE", "A\n4\nCode\n\n\n\n\n\nR\n5");
        account_.WriteFile("P", "CALC", "I\nAMOUNT * 2\n\nCalc\n8R\nS");
        WriteRecord(account_, "P", "1", "ACME CORP\n500\nX\xFDY\n10");
        WriteRecord(account_, "P", "2", "Bolt\n25\nY\n11");
        WriteRecord(account_, "P", "3", "Anvil\n1000\n\n100");
        WriteRecord(account_, "P", "4", "\n-5\nZ\n");
        WriteRecord(account_, "P", "10", "Acorn\n25\nX\n09");
        session_ = account_.Connect();
    }

    Ids Run(const std::string& text) {
        session_->Command().SetText(text);
        session_->Command().Exec();
        EXPECT_EQ(session_->Command().Error(), kOk) << text << session_->Command().Response();
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

TEST_F(DataSelect, ByAndWithNameFieldsThroughTheFilesDictionary) {
    const std::pair<std::string, Ids> cases[] = {
        {"SSELECT P", {"1", "10", "2", "3", "4"}},
        {"SSELECT P BY AMOUNT", {"4", "10", "2", "1", "3"}},
        {"SSELECT P BY.DSND NAME", {"2", "3", "10", "1", "4"}},
        {"SSELECT P BY CODE", {"4", "10", "1", "2", "3"}},
        {"SSELECT P WITH AMOUNT > 100", {"1", "3"}},
        {"SSELECT P WITH NAME = \"ACME CORP\"", {"1"}},
        {"SSELECT P WITH NAME LIKE 'A...' AND AMOUNT < 600 OR WITH TAGS = \"Z\"", {"1", "10", "4"}},
        {"SSELECT P WITH TAGS = \"Y\"", {"1", "2"}},
        {"SSELECT P WITH NO NAME", {"4"}},
        {"SSELECT P WITH @ID = \"1\" \"3\"", {"1", "3"}},
        {"SELECT P WITH AMOUNT EQ 25 BY NAME", {"10", "2"}},
        {"SSELECT DICT P WITH F1 LIKE \"D...\" BY LOC", {"NAME", "AMOUNT", "TAGS"}},
    };
    for (const auto& [command, expected] : cases) {
        EXPECT_EQ(Run(command), expected) << command;
    }
    const Ids sample = Run("SSELECT P WITH AMOUNT > 0 SAMPLE 2");
    ASSERT_EQ(sample.size(), 2u);
    for (const std::string& id : sample) {
        EXPECT_NE(id, "4");
    }

    session_->Command().SetText("SSELECT P BY CALC");
    session_->Command().Exec();
    EXPECT_EQ(session_->Command().Error(), kUnknownSortName);
    EXPECT_NE(session_->Command().Response().find("\"CALC\""), std::string::npos);
}

}  // namespace
}  // namespace mv

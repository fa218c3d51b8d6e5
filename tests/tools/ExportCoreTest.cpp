// SPDX-License-Identifier: MIT
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/DatabaseKind.h"
#include "core/ListingExport.h"
#include "core/ListingFile.h"
#include "core/ListingLine.h"
#include "platform/mv/Session.h"

namespace {

namespace fs = std::filesystem;
using core::DatabaseKind;

const std::string FM = "\xFE";
const std::string VM = "\xFD";
const std::string SM = "\xFC";

// A folder for one test, removed with everything in it afterwards.
class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "kelvora-export-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct LineCase {
    const char* name;
    std::string record;
    std::string expected;  // after the id "ID"
};

class ListingLineLayout : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListingLineLayout, holdsTheIdAndTenTabbedFieldsEndedByCrLf) {
    std::string line = "kept:";
    exporting::AppendListingLine(line, "ID", GetParam().record);
    EXPECT_EQ(line, "kept:ID" + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ListingLineLayout,
    ::testing::Values(LineCase{"theWorkedExample", "D" + FM + "3" + FM + FM + FM + FM + "S",
                               "\tD\t3\t\t\t\tS\t\t\t\t\r\n"},
                      LineCase{"anEmptyRecord", "", "\t\t\t\t\t\t\t\t\t\t\r\n"},
                      LineCase{"fieldsAfterTenLeftOut",
                               "1" + FM + "2" + FM + "3" + FM + "4" + FM + "5" + FM + "6" + FM +
                                   "7" + FM + "8" + FM + "9" + FM + "10" + FM + "11" + FM + "12",
                               "\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\r\n"},
                      LineCase{"marksAndHighBytesKept",
                               "D" + FM + "a" + VM + "b" + SM + "c" + FM + "caf\xE9",
                               "\tD\ta" + VM + "b" + SM + "c\tcaf\xE9\t\t\t\t\t\t\t\r\n"},
                      LineCase{"aTrailingEmptyField", "I" + FM, "\tI\t\t\t\t\t\t\t\t\t\r\n"},
                      LineCase{"aTabInsideAFieldStaysAsItIs", "X" + FM + "a\tb",
                               "\tX\ta\tb\t\t\t\t\t\t\t\t\r\n"}),
    [](const ::testing::TestParamInfo<LineCase>& param) { return std::string(param.param.name); });

class ListingFileTest : public ::testing::Test {
protected:
    Folder folder;
    fs::path target() const { return folder.Path() / "listing.txt"; }
};

TEST_F(ListingFileTest, replacesAnExistingFileWholeAndKeepsItsPermissions) {
    Put(target(), "an old listing that is longer than the new one\r\n");
    ::chmod(target().c_str(), 0640);
    exporting::ListingFile file(target());
    ASSERT_TRUE(file.Open()) << file.Failure();
    ASSERT_TRUE(file.Write("A\r\n"));

    EXPECT_EQ(Slurp(target()), "an old listing that is longer than the new one\r\n");
    ASSERT_TRUE(file.Commit()) << file.Failure();
    EXPECT_EQ(Slurp(target()), "A\r\n");
    EXPECT_EQ(fs::status(target()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"listing.txt"});
}

TEST_F(ListingFileTest, anExportNotCommittedLeavesTheOldFileAndNoTemporaryFile) {
    Put(target(), "old");
    {
        exporting::ListingFile file(target());
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write(std::string(200000, 'x')));  // more than one buffer
    }
    EXPECT_EQ(Slurp(target()), "old");
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"listing.txt"});
}

TEST_F(ListingFileTest, writesThroughASymbolicLink) {
    const fs::path real = folder.Path() / "real.txt";
    Put(real, "old");
    fs::create_symlink(real, target());
    exporting::ListingFile file(target());
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new"));
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(fs::is_symlink(target()));
    EXPECT_EQ(Slurp(real), "new");
}

TEST_F(ListingFileTest, aFolderCannotBeCreatedAndNothingCanBeWrittenAfterwards) {
    fs::create_directory(target());
    exporting::ListingFile intoFolder(target());
    EXPECT_FALSE(intoFolder.Open());
    EXPECT_EQ(intoFolder.Failure(), std::system_category().message(EISDIR));
    EXPECT_FALSE(intoFolder.Write("x"));
    EXPECT_FALSE(intoFolder.Commit());
}

// A sink that takes a number of writes and refuses the next.
class FailingSink : public exporting::ListingSink {
public:
    explicit FailingSink(int accepted) : accepted_(accepted) {}
    bool Write(std::string_view bytes) override {
        if (accepted_-- <= 0) {
            return false;
        }
        taken += bytes;
        return true;
    }
    std::string taken;

private:
    int accepted_;
};

class WriteListingTest : public ::testing::Test {
protected:
    Folder account;
    mv::Session session;

    void SetUp() override {
        fs::create_directory(account.Path() / "D_F");
        // Item files hold one field per line.
        Put(account.Path() / "D_F" / "B", "D\n2");
        Put(account.Path() / "D_F" / "A", "I\nX" + VM + "Y");
        Put(account.Path() / "D_F" / "C", "D\n1");
        session.SetAccountPath(account.Path().string());
        session.Connect();
        ASSERT_EQ(session.Error(), 0);
    }
};

TEST_F(WriteListingTest, aFailedSelectIsReportedAndARefusedWriteStopsTheListing) {
    auto file = session.OpenDictionary("F");
    EXPECT_NE(exporting::SelectItems(session, DatabaseKind::UniVerse, "NOSUCH"), 0);
    EXPECT_EQ(session.Command().Text(), "SSELECT DICT NOSUCH BY F1 BY RLOCATION");

    ASSERT_EQ(exporting::SelectItems(session, DatabaseKind::UniVerse, "F"), 0);
    FailingSink sink(1);
    const auto counts = exporting::WriteListing(session.SelectList(0), *file, sink);
    EXPECT_TRUE(counts.sinkFailed);
    EXPECT_EQ(counts.written, 1);
    EXPECT_EQ(sink.taken, "C\tD\t1\t\t\t\t\t\t\t\t\r\n");
}

}  // namespace

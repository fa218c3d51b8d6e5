// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/Session.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/platform/mv/Unprivileged.h"
#include "tests/remote/TestBackend.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

std::string EveryByteButLineFeed() {
    std::string bytes;
    for (int c = 0; c < 256; ++c) {
        if (c != '\n') {
            bytes.push_back(static_cast<char>(c));
        }
    }
    return bytes;
}

struct RecordCase {
    const char* name;
    std::string record;
};

class RoundTrip : public ::testing::TestWithParam<RecordCase> {
protected:
    void SetUp() override {
        account_.MakeDictionary("F");
        session_ = account_.Connect();
        file_ = session_->OpenDictionary("F");
        ASSERT_NE(file_, nullptr);
    }
    test::TempAccount account_;
    std::unique_ptr<Session> session_;
    std::shared_ptr<DictionaryFile> file_;
};

TEST_P(RoundTrip, RecordComesBackByteForByteAndTheFileHoldsOneLinePerField) {
    const std::string& record = GetParam().record;
    file_->SetRecordId("ITEM");
    file_->SetRecord(DynamicArray(record));
    file_->Write();
    ASSERT_EQ(file_->Error(), 0);

    std::string expectedFile = record;
    std::replace(expectedFile.begin(), expectedFile.end(), '\xFE', '\n');
    EXPECT_EQ(account_.ReadFile("F", "ITEM"), expectedFile);

    file_->SetRecord(DynamicArray("something else"));
    file_->Read();
    ASSERT_EQ(file_->Error(), 0);
    EXPECT_EQ(file_->Record().Text(), record);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RoundTrip,
    ::testing::Values(RecordCase{"Empty", ""}, RecordCase{"OneEmptyField", "\xFE"},
                      RecordCase{"TrailingEmptyFields",
                                 "D\xFE"
                                 "1\xFE\xFE\xFE"},
                      RecordCase{"LeadingEmptyFields",
                                 "\xFE\xFE"
                                 "x"},
                      RecordCase{"AllMarks",
                                 "I\xFE"
                                 "A\xFD"
                                 "B\xFC"
                                 "C\xFB"
                                 "D\xFF"
                                 "E\xFE"
                                 "tail"},
                      RecordCase{"EveryByteButLineFeed", EveryByteButLineFeed()},
                      RecordCase{"CarriageReturns", "a\r\xFE\r\rb\r"},
                      RecordCase{"Large",
                                 std::string(1 << 20, '\xFD') + "\xFE" + std::string(70000, 'x')}),
    [](const ::testing::TestParamInfo<RecordCase>& p) { return std::string(p.param.name); });

class Storage : public RoundTrip {};

TEST_F(Storage, WriteReplacesTheWholeItemAndLeavesNoTemporaryFile) {
    file_->SetRecordId("X");
    file_->SetRecord(
        DynamicArray("long\xFE"
                     "record\xFE"
                     "with\xFE"
                     "many\xFE"
                     "fields"));
    file_->Write();
    file_->SetRecord(DynamicArray("short"));
    file_->Write();
    ASSERT_EQ(file_->Error(), 0);
    EXPECT_EQ(account_.ReadFile("F", "X"), "short");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(account_.DictionaryPath("F"))) {
        if (entry.path().filename() != kLockFileName) {
            names.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(names, std::vector<std::string>{"X"});
}

// Whatever the temporary file of the write was made with, and whatever the umask: a mode
// wider than a fresh file's (0664 under umask 022) as well as a narrower one.
TEST_F(Storage, AReplacedItemKeepsItsPermissions) {
    const mode_t savedMask = ::umask(022);
    for (const fs::perms mode :
         {fs::perms::owner_read | fs::perms::owner_write,
          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
              fs::perms::group_write | fs::perms::others_read}) {
        account_.WriteFile("F", "X", "old");
        fs::permissions(account_.DictionaryPath("F") / "X", mode);
        file_->SetRecordId("X");
        file_->SetRecord(DynamicArray("new"));
        file_->Write();
        ASSERT_EQ(file_->Error(), 0);
        EXPECT_EQ(fs::status(account_.DictionaryPath("F") / "X").permissions(), mode);
    }
    ::umask(savedMask);
}

// A write that fails half way (here the file size limit stops it) leaves the old item
// whole and no temporary file. This works for root too, unlike a read-only directory.
TEST_F(Storage, AFailedWriteLeavesTheOldItemIntact) {
    account_.WriteFile("F", "X", "old\nitem");
    const auto before = account_.Snapshot();
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    file_->SetRecordId("X");
    file_->SetRecord(DynamicArray(std::string(100000, 'n')));
    file_->Write();
    const int error = file_->Error();

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, kWriteFailed);
    EXPECT_EQ(account_.Snapshot(), before);
}

// Run by a user the folder's permissions apply to (as root: the user nobody).
TEST_F(Storage, AReadOnlyDictionaryRefusesWritesAndKeepsTheOldItem) {
    if (testbackend::IsRemote()) {
        GTEST_SKIP() << "the server of this run writes as the user running the tests";
    }
    account_.WriteFile("F", "X", "old");
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(account_.DictionaryPath("F"), readOnly);
    fs::permissions(account_.DictionaryPath("F") / "X",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const std::string codes =
        test::AsUnprivilegedUser(account_.Path(), [](const std::string& path) {
            Session session;
            session.SetAccountPath(path);
            session.Connect();
            const auto file = session.OpenDictionary("F");
            if (!file) {
                return std::string("no open");
            }
            file->SetRecordId("X");
            file->SetRecord(DynamicArray("new"));
            file->Write();
            std::string out = std::to_string(file->Error());
            file->DeleteRecord();
            return out + " " + std::to_string(file->Error());
        });
    EXPECT_EQ(codes, std::to_string(kWriteFailed) + " " + std::to_string(kDeleteFailed));
    fs::permissions(account_.DictionaryPath("F"), fs::perms::owner_all);
    EXPECT_EQ(account_.ReadFile("F", "X"), "old");
}

TEST_F(Storage, RecordsThatCannotBeStoredWriteNothing) {
    const auto before = account_.Snapshot();
    struct Refused {
        std::string id, record;
        int error;
    };
    for (const Refused& refused :
         {Refused{"A", "line\nfeed", kFieldHoldsLineFeed}, Refused{"A", "\n", kFieldHoldsLineFeed},
          Refused{"", "x", kBadItemId}, Refused{std::string(300, 'L'), "x", kBadItemId},
          Refused{std::string(100, '/'), "x", kBadItemId}}) {
        file_->SetRecordId(refused.id);
        file_->SetRecord(DynamicArray(refused.record));
        file_->Write();
        EXPECT_EQ(file_->Error(), refused.error) << refused.id;
    }
    EXPECT_EQ(account_.Snapshot(), before);
}

TEST_F(Storage, DeleteRemovesTheItemAndAMissingOneIsReported) {
    account_.WriteFile("F", "X", "x");
    file_->SetRecordId("X");
    file_->DeleteRecord();
    EXPECT_EQ(file_->Error(), 0);
    EXPECT_FALSE(fs::exists(account_.DictionaryPath("F") / "X"));
    file_->DeleteRecord();
    EXPECT_EQ(file_->Error(), kRecordNotFound);
}

TEST_F(Storage, ReadFailuresAreToldApartFromMissingItems) {
    file_->SetRecordId("MISSING");
    file_->SetRecord(DynamicArray("stale"));
    file_->Read();
    EXPECT_EQ(file_->Error(), kRecordNotFound);
    EXPECT_EQ(file_->Record().FieldCount(), 0);

    fs::create_directory(account_.DictionaryPath("F") / "DIR");
    file_->SetRecordId("DIR");
    file_->Read();
    EXPECT_EQ(file_->Error(), kReadFailed);
    EXPECT_EQ(file_->Record().Text(), "");
    file_->DeleteRecord();
    EXPECT_EQ(file_->Error(), kDeleteFailed);
    EXPECT_TRUE(fs::is_directory(account_.DictionaryPath("F") / "DIR"));

    if (::geteuid() != 0) {
        account_.WriteFile("F", "SECRET", "x");
        fs::permissions(account_.DictionaryPath("F") / "SECRET", fs::perms::none);
        file_->SetRecordId("SECRET");
        file_->Read();
        EXPECT_EQ(file_->Error(), kReadFailed);
    }
}

TEST_F(Storage, AWriteOntoADirectoryFailsAndLeavesNoTemporaryFile) {
    fs::create_directory(account_.DictionaryPath("F") / "DIR");
    const auto before = account_.Snapshot();
    file_->SetRecordId("DIR");
    file_->SetRecord(DynamicArray("x"));
    file_->Write();
    EXPECT_EQ(file_->Error(), kWriteFailed);
    EXPECT_EQ(account_.Snapshot(), before);
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/Session.h"
#include "platform/mv/TemporaryFiles.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/platform/mv/Unprivileged.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

const seconds kOld = kStaleTemporaryFileAge + seconds(60);

// Sets both times of the entry itself (a link is not followed) to `age` ago.
void MakeAged(const fs::path& path, seconds age) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const struct timespec then = {now.tv_sec - static_cast<time_t>(age.count()), 0};
    const struct timespec times[2] = {then, then};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::unique_ptr<Session> LocalSession(const fs::path& account, bool sweep = true) {
    auto session = std::make_unique<Session>();
    session->SetAccountPath(account.string());
    session->SetSweepTemporaryFiles(sweep);
    session->Connect();
    EXPECT_EQ(session->Error(), 0);
    return session;
}

class StaleTemporaryFiles : public ::testing::Test {
protected:
    void SetUp() override { account_.MakeDictionary("F"); }
    fs::path Folder() const { return account_.DictionaryPath("F"); }
    void PutAged(const std::string& name, seconds age) {
        account_.WriteFile("F", name, "partial");
        MakeAged(Folder() / name, age);
    }

    test::TempAccount account_;
};

// Whether the folder is first opened by OpenDictionary or by a command naming it, old
// temporary files of the engine go, and nothing else: not a young one (a write may be
// under way), not a name the engine does not make, not a link (nor what it points to)
// or a folder named like one.
TEST_F(StaleTemporaryFiles, TheFirstOpenRemovesOnlyTheEnginesOwnOldOnes) {
    const fs::path outside = account_.Parent() / "outside";
    for (const std::string opener : {"open", "SSELECT DICT F", "CD F", "SELECT DICT F BY F1"}) {
        account_.WriteFile("F", "A", "D\n1");
        PutAged(".kelvora-tmp-4242-1", kOld);
        PutAged(".kelvora-tmp-4242-2", kStaleTemporaryFileAge - seconds(60));
        for (const char* name : {".kelvora-tmp-4242", ".kelvora-tmp-1-2.bak", ".kelvora-tmp--2",
                                 ".kelvora-tmp-x-1", ".gitkeep", "%2Ekelvora-tmp-1-1"}) {
            PutAged(name, kOld);
        }
        std::ofstream(outside) << "not the engine's";
        MakeAged(outside, kOld);
        fs::create_symlink(outside, Folder() / ".kelvora-tmp-4242-3");
        MakeAged(Folder() / ".kelvora-tmp-4242-3", kOld);
        fs::create_directory(Folder() / ".kelvora-tmp-4242-4");
        MakeAged(Folder() / ".kelvora-tmp-4242-4", kOld);
        std::set<std::string> expected = Entries(Folder());
        expected.erase(".kelvora-tmp-4242-1");

        const auto session = LocalSession(account_.Path());
        if (opener == "open") {
            EXPECT_NE(session->OpenDictionary("F"), nullptr);
        } else {
            session->Command().SetText(opener);
            session->Command().Exec();
            EXPECT_EQ(session->Command().Error(), 0) << opener;
        }
        EXPECT_EQ(Entries(Folder()), expected) << opener;
        EXPECT_EQ(test::FileBytes(outside), "not the engine's") << opener;
        fs::remove_all(Folder());
        account_.MakeDictionary("F");
    }
}

// The sweep runs once per session and folder; a session told not to sweep (the check,
// which only lists) leaves them; a sweep that cannot remove anything still opens.
TEST_F(StaleTemporaryFiles, OncePerSessionNeverWhenOffAndNeverFailingTheOpen) {
    const auto session = LocalSession(account_.Path());
    ASSERT_NE(session->OpenDictionary("F"), nullptr);
    PutAged(".kelvora-tmp-7-1", kOld);
    EXPECT_NE(session->OpenDictionary("F"), nullptr);
    EXPECT_TRUE(fs::exists(Folder() / ".kelvora-tmp-7-1"));

    EXPECT_NE(LocalSession(account_.Path(), false)->OpenDictionary("F"), nullptr);
    EXPECT_TRUE(fs::exists(Folder() / ".kelvora-tmp-7-1"));

    ::chmod(Folder().c_str(), 0555);
    EXPECT_EQ(
        test::AsUnprivilegedUser(account_.Path(),
                                 [](const std::string& path) {
                                     Session other;
                                     other.SetAccountPath(path);
                                     other.Connect();
                                     return std::to_string(other.OpenDictionary("F") != nullptr) +
                                            " " + std::to_string(other.Error());
                                 }),
        "1 0");
    EXPECT_TRUE(fs::exists(Folder() / ".kelvora-tmp-7-1"));
    ::chmod(Folder().c_str(), 0755);

    EXPECT_NE(LocalSession(account_.Path())->OpenDictionary("F"), nullptr);
    EXPECT_FALSE(fs::exists(Folder() / ".kelvora-tmp-7-1"));
}

// A file of this host whose writer has ended goes at once, however young. One whose
// writer still runs (ours; pid 1, another user's unless we are root), one of another
// host and one named without the host stay until they are old. Writes go on as before.
TEST_F(StaleTemporaryFiles, AFileOfAnEndedWriterHereGoesAtOnce) {
    ASSERT_FALSE(ThisHostTag().empty());
    const pid_t ended = test::EndedProcess();
    std::string otherHost = ThisHostTag();
    otherHost = ".kelvora-tmp-" + std::string(1, otherHost[0] == '0' ? '1' : '0') +
                otherHost.substr(1) + "-" + std::to_string(ended) + "-";
    const std::string olderName = ".kelvora-tmp-" + std::to_string(ended) + "-";
    const std::string kept[] = {NewTemporaryFileName(), TemporaryFileNameFor(1, 1), otherHost + "1",
                                olderName + "1"};
    std::set<std::string> expected = {"A", kLockFileName};
    for (const std::string& name : kept) {
        PutAged(name, seconds(60));
        expected.insert(name);
    }
    for (const std::string& name : {NewTemporaryFileName(), otherHost + "2", olderName + "2"}) {
        PutAged(name, kOld);
    }
    PutAged(TemporaryFileNameFor(ended, 1), seconds(0));
    const auto session = LocalSession(account_.Path());
    const auto file = session->OpenDictionary("F");
    ASSERT_NE(file, nullptr);
    file->SetRecordId("A");
    file->SetRecord(DynamicArray("D\xFEx"));
    file->Write();
    EXPECT_EQ(file->Error(), 0);
    EXPECT_EQ(Entries(Folder()), expected);
}

// Seen by a user who may not signal it, a running writer of another user (pid 1) answers
// "not permitted", not "no such process": its young file stays.
TEST_F(StaleTemporaryFiles, AWriterThisUserMayNotSignalCountsAsRunning) {
    const std::string name = TemporaryFileNameFor(1, 1);
    PutAged(name, seconds(0));
    ::chmod(Folder().c_str(), 0777);
    EXPECT_EQ(test::AsUnprivilegedUser(account_.Path(),
                                       [&name](const std::string& path) {
                                           Session other;
                                           other.SetAccountPath(path);
                                           other.SetSweepTemporaryFiles(true);
                                           other.Connect();
                                           other.OpenDictionary("F");
                                           return std::to_string(
                                               fs::exists(fs::path(path) / "D_F" / name));
                                       }),
              "1");
}

}  // namespace
}  // namespace mv

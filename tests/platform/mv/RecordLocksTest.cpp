// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "platform/mv/DictionaryInspection.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/ServerSelectList.h"
#include "platform/mv/TemporaryFiles.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

using test::TempAccount;

struct Opened {
    std::shared_ptr<LocalEngine> engine;
    int handle = 0;
};

Opened OpenF(const TempAccount& account) {
    Opened opened;
    EXPECT_EQ(LocalEngine::Open(account.Path().string(), opened.engine), kOk);
    EXPECT_EQ(opened.engine->OpenDictionary("F", opened.handle), kOk);
    return opened;
}

// Two processes on one folder: a lock of a process that is killed goes with it, and the
// lock file is no item to anyone who lists, selects or checks the dictionary.
TEST(LocalLocks, aKilledProcessLeavesNoLockAndTheLockFileIsNoItem) {
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "X", "D\nold");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Opened holder = OpenF(account);
        const char locked = holder.engine->Lock(holder.handle, "X", kLockExclusive) == kOk;
        (void)!::write(ready[1], &locked, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char locked = 0;
    ASSERT_EQ(::read(ready[0], &locked, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(locked, 1);

    Opened other = OpenF(account);
    int state = -1;
    EXPECT_EQ(other.engine->LockState(other.handle, "X", state), kOk);
    EXPECT_EQ(state, kLockHeldExclusively);
    LockHolder holder;
    EXPECT_EQ(other.engine->Holder(other.handle, "X", holder), kOk);
    EXPECT_EQ(holder.user, LoginName());  // the other process names itself
    EXPECT_EQ(other.engine->Write(other.handle, "X", "D\xFEnew", false), kRecordLocked);
    EXPECT_EQ(other.engine->Delete(other.handle, "X", false), kRecordLocked);
    EXPECT_EQ(account.ReadFile("F", "X"), "D\nold");

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    // The dead process's note names nobody: its lock went with it.
    EXPECT_EQ(other.engine->Execute("LIST.READU").response, std::string(kLockListHeader) + "\n");
    EXPECT_EQ(other.engine->Lock(other.handle, "X", kLockExclusive), kOk);
    EXPECT_EQ(other.engine->Write(other.handle, "X", "D\xFEnew", false), kOk);
    EXPECT_EQ(account.ReadFile("F", "X"), "D\nnew");

    ASSERT_TRUE(std::filesystem::exists(account.DictionaryPath("F") / kLockFileName));
    const auto session = account.Connect();
    session->Command().SetText("SSELECT DICT F");
    session->Command().Exec();
    EXPECT_EQ(session->SelectList(0).Next(), "X");
    EXPECT_EQ(session->SelectList(0).Next(), "");
    DictionaryContents contents;
    EXPECT_EQ(InspectDictionary(account.Path().string(), "F", contents), kOk);
    EXPECT_TRUE(contents.problems.empty());
}

// The lock file grants locks to those who may write the folder only, and one that is no
// regular file refuses the changes it cannot keep apart instead of granting every lock.
TEST(LocalLocks, theLockFileIsOnlyForWritersAndAStrangeOneRefusesChanges) {
    namespace fs = std::filesystem;
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "X", "D\nold");
    const fs::path folder = account.DictionaryPath("F");
    const fs::path lockFile = folder / kLockFileName;

    // Made for a folder only its owner may write: no access for group or others, also
    // when an older version left it readable to all.
    fs::permissions(folder, fs::perms(0755));
    for (const bool older : {false, true}) {
        if (older) {
            fs::permissions(lockFile, fs::perms(0644));
        }
        Opened session = OpenF(account);
        ASSERT_EQ(session.engine->Lock(session.handle, "X", kLockExclusive), kOk);
        EXPECT_EQ(fs::status(lockFile).permissions() & fs::perms::all, fs::perms(0600)) << older;
    }
    EXPECT_EQ(DictionaryLocks::ModeFor(02775), 0660u);
    EXPECT_EQ(DictionaryLocks::ModeFor(0777), 0666u);

    const fs::path outside = account.Path() / "outside";
    std::ofstream{outside};
    const std::vector<std::pair<const char*, std::function<void()>>> kinds{
        {"link", [&] { fs::create_symlink(outside, lockFile); }},
        {"folder", [&] { fs::create_directory(lockFile); }},
        {"fifo", [&] { ASSERT_EQ(::mkfifo(lockFile.c_str(), 0600), 0); }},
    };
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        fs::remove(lockFile);
        make();
        Opened session = OpenF(account);
        std::string record;
        EXPECT_EQ(session.engine->Read(session.handle, "X", record, kLockExclusive),
                  kLockFileUnusable);
        EXPECT_EQ(session.engine->Write(session.handle, "X", "D\xFEnew", false), kLockFileUnusable);
        EXPECT_EQ(session.engine->Delete(session.handle, "X", false), kLockFileUnusable);
        EXPECT_EQ(account.ReadFile("F", "X"), "D\nold");
        fs::remove(lockFile);
    }
    EXPECT_EQ(test::FileBytes(outside), "");
}

// A lock file removed under a session that holds a lock: a new session makes a new file
// and locks there; the first session moves to that file at its next request and finds
// the item held, so its write is refused rather than made beside the other's.
TEST(LocalLocks, aRemovedLockFileLeavesOneLockDomain) {
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "X", "D\nold");
    account.WriteFile("F", "Y", "D\nold");
    Opened first = OpenF(account);
    ASSERT_EQ(first.engine->Lock(first.handle, "X", kLockExclusive), kOk);
    ASSERT_EQ(first.engine->Lock(first.handle, "Y", kLockExclusive), kOk);
    std::filesystem::remove(account.DictionaryPath("F") / kLockFileName);

    Opened second = OpenF(account);
    EXPECT_EQ(second.engine->Lock(second.handle, "X", kLockExclusive), kOk);
    EXPECT_EQ(first.engine->Write(first.handle, "X",
                                  "D\xFE"
                                  "first",
                                  false),
              kRecordLocked);
    EXPECT_EQ(account.ReadFile("F", "X"), "D\nold");
    // The lock on Y moved with the first session: the second one cannot take it.
    EXPECT_EQ(second.engine->Lock(second.handle, "Y", kLockExclusive), kRecordLocked);
    EXPECT_EQ(first.engine->Write(first.handle, "Y",
                                  "D\xFE"
                                  "first",
                                  false),
              kOk);
}

// Sessions of one process keep each other out as processes do; a second handle of the
// same session on the same folder shares its locks, and closing one handle keeps the
// locks taken through the other.
TEST(LocalLocks, sessionsOfOneProcessExcludeEachOtherAndHandlesOfOneSessionShare) {
    TempAccount account;
    account.MakeDictionary("F");
    Opened a = OpenF(account);
    Opened b = OpenF(account);
    int second = 0;
    ASSERT_EQ(a.engine->OpenDictionary("F", second), kOk);

    std::string record;
    EXPECT_EQ(a.engine->Read(a.handle, "N", record, kLockExclusive), kRecordNotFound);
    EXPECT_EQ(b.engine->Lock(b.handle, "N", kLockShared), kRecordLocked);
    EXPECT_EQ(a.engine->Write(second, "N", "D", /*keepLock=*/true), kOk);
    EXPECT_EQ(b.engine->Write(b.handle, "N", "E", false), kRecordLocked);
    EXPECT_EQ(a.engine->Lock(second, "M", kLockExclusive), kOk);
    a.engine->CloseFile(second);
    EXPECT_EQ(b.engine->Lock(b.handle, "M", kLockExclusive), kOk);
    EXPECT_EQ(b.engine->Lock(b.handle, "N", kLockExclusive), kRecordLocked);
    a.engine->Shutdown();
    EXPECT_EQ(b.engine->Lock(b.handle, "N", kLockExclusive), kOk);
    EXPECT_EQ(account.ReadFile("F", "N"), "D");
}

// The writes and deletes of a batch reach the folder together at its end, each item
// whole, and the items stay locked against others until then; none is lost on the way.
TEST(LocalLocks, aWriteBatchIsMadeAtItsEndWithItsItemsHeldUntilThen) {
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "OLD", "D\nold");
    account.WriteFile("F", "GONE", "D\ngone");
    Opened batch = OpenF(account);
    Opened other = OpenF(account);
    batch.engine->BeginWriteBatch();
    EXPECT_EQ(batch.engine->Write(batch.handle, "OLD", "D\xFEnew", false), kOk);
    EXPECT_EQ(batch.engine->Write(batch.handle, "ADDED",
                                  "D\xFE"
                                  "added",
                                  false),
              kOk);
    EXPECT_EQ(batch.engine->Delete(batch.handle, "GONE", false), kOk);
    for (const char* id : {"OLD", "ADDED", "GONE"}) {
        EXPECT_EQ(other.engine->Lock(other.handle, id, kLockExclusive), kRecordLocked) << id;
    }
    EXPECT_EQ(account.ReadFile("F", "OLD"), "D\nold");
    EXPECT_EQ(account.ReadFile("F", "GONE"), "D\ngone");
    EXPECT_FALSE(std::filesystem::exists(account.DictionaryPath("F") / "ADDED"));

    EXPECT_EQ(batch.engine->EndWriteBatch(), kOk);
    EXPECT_EQ(account.ReadFile("F", "OLD"), "D\nnew");
    EXPECT_EQ(account.ReadFile("F", "ADDED"), "D\nadded");
    EXPECT_FALSE(std::filesystem::exists(account.DictionaryPath("F") / "GONE"));
    for (const char* id : {"OLD", "ADDED"}) {
        EXPECT_EQ(other.engine->Lock(other.handle, id, kLockExclusive), kOk) << id;
    }
    // Nothing but the items: no temporary file is left behind.
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(account.DictionaryPath("F"))) {
        entries += entry.path().filename().string()[0] == '.' ? 0 : 1;
        EXPECT_FALSE(IsTemporaryFileName(entry.path().filename().string()))
            << entry.path().filename();
    }
    EXPECT_EQ(entries, 2u);
}

// A compile of the whole dictionary while another session saves items: each save stands
// (compiled again or as written), and an item the other session holds is not written.
TEST(LocalLocks, aCompileUndoesNoSaveMadeWhileItRunsAndLeavesHeldItemsAlone) {
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "A", "D\n1");
    const auto id = [](int i) { return "I" + std::to_string(10000 + i); };
    constexpr int kItems = 2000;
    for (int i = 0; i < kItems; ++i) {
        account.WriteFile("F", id(i), "I\nA + 1");
    }
    Opened compiling = OpenF(account);
    Opened saving = OpenF(account);
    saving.engine->SetIdentity({"ann", 7, ""});
    ASSERT_EQ(saving.engine->Lock(saving.handle, id(0), kLockExclusive), kOk);

    std::atomic<bool> done{false};
    CommandResult result;
    std::thread cd([&] {
        result = compiling.engine->Execute("CD F");
        done = true;
    });
    // Saved as the program saves: read with the lock, then written. From the end, since
    // the compile writes back in id order.
    std::vector<int> saved;
    for (int i = kItems - 1; i > 0 && !done; --i) {
        std::string record;
        if (saving.engine->Read(saving.handle, id(i), record, kLockExclusive) == kOk &&
            saving.engine->Write(saving.handle, id(i),
                                 "I\xFE"
                                 "A + 2",
                                 false) == kOk) {
            saved.push_back(i);
        }
    }
    cd.join();
    EXPECT_FALSE(saved.empty());
    for (const int i : saved) {
        EXPECT_EQ(account.ReadFile("F", id(i)).rfind("I\nA + 2", 0), 0u) << id(i);
    }
    EXPECT_TRUE(std::regex_search(
        result.response,
        std::regex(id(0) + ": locked by ann \\(user 7\\) since [0-9:]+; not compiled.")))
        << result.response;
    EXPECT_EQ(account.ReadFile("F", id(0)), "I\nA + 1");
}

}  // namespace
}  // namespace mv

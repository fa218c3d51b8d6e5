// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/mv/Session.h"
#include "platform/mv/TemporaryFiles.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr int kDefaultRounds = 200;
constexpr int kItems = 6;

// How many times the writer is killed: KELVORA_CRASH_ROUNDS, or the default.
int Rounds() {
    const char* text = std::getenv("KELVORA_CRASH_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : kDefaultRounds;
}

// The two versions every item alternates between; sizes differ, so a torn write shows.
std::string Version(int item, bool second) {
    const char fill = static_cast<char>((second ? 'a' : 'A') + item);
    return "D\xFE" + std::string(second ? 48000 : 20000, fill) + "\xFE" + "end";
}

std::string ItemId(int item) {
    return "ITEM" + std::to_string(item);
}

std::shared_ptr<DictionaryFile> Open(Session& session, const fs::path& account) {
    session.SetAccountPath(account.string());
    session.Connect();
    return session.Error() == 0 ? session.OpenDictionary("F") : nullptr;
}

// The child: rewrites every item, one version then the other, until it is killed. One
// byte on `ready` says the first write is done, so a kill never lands before any write.
[[noreturn]] void WriteForever(const fs::path& account, int ready) {
    Session session;
    const std::shared_ptr<DictionaryFile> file = Open(session, account);
    if (!file) {
        ::_exit(2);
    }
    for (long round = 0;; ++round) {
        for (int item = 0; item < kItems; ++item) {
            file->SetRecordId(ItemId(item));
            file->SetRecord(DynamicArray(Version(item, round % 2 == 0)));
            file->Write();
            if (file->Error() != 0) {
                ::_exit(3);
            }
            if (round == 0 && item == 0 && ::write(ready, "r", 1) != 1) {
                ::_exit(4);
            }
        }
    }
}

// Starts a writer, kills it `delay` after its first write and reaps it. False when the
// writer failed on its own.
bool KillWriterAfter(const fs::path& account, std::chrono::microseconds delay) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        WriteForever(account, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    struct pollfd ready = {pipeFds[0], POLLIN, 0};
    char byte = 0;
    const bool started =
        child > 0 && ::poll(&ready, 1, 20000) == 1 && ::read(pipeFds[0], &byte, 1) == 1;
    ::close(pipeFds[0]);
    if (child <= 0) {
        return false;
    }
    if (started) {
        std::this_thread::sleep_for(delay);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::vector<std::string> TemporaryFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (IsTemporaryFileName(entry.path().filename().string())) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

void MakeOld(const fs::path& path) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const struct timespec then = {now.tv_sec - kStaleTemporaryFileAge.count() - 60, 0};
    const struct timespec times[2] = {then, then};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// A writer killed at random moments leaves every item whole, old or new, and its
// temporary files once old are gone after the next session's first open; young ones stay.
TEST(InterruptedWrites, EveryItemStaysWholeAndOldDebrisGoesOnTheNextOpen) {
    test::TempAccount account;
    account.MakeDictionary("F");
    {
        Session session;
        const auto file = Open(session, account.Path());
        ASSERT_NE(file, nullptr);
        for (int item = 0; item < kItems; ++item) {
            file->SetRecordId(ItemId(item));
            file->SetRecord(DynamicArray(Version(item, false)));
            file->Write();
            ASSERT_EQ(file->Error(), 0);
        }
    }

    const int rounds = Rounds();
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);
    Session reader;
    const auto file = Open(reader, account.Path());
    ASSERT_NE(file, nullptr);
    int newVersions = 0;
    for (int round = 0; round < rounds; ++round) {
        ASSERT_TRUE(
            KillWriterAfter(account.Path(), std::chrono::microseconds(delayMicroseconds(random))))
            << "round " << round;
        for (int item = 0; item < kItems; ++item) {
            file->SetRecordId(ItemId(item));
            file->Read();
            ASSERT_EQ(file->Error(), 0) << "round " << round << ", item " << item;
            const std::string& text = file->Record().Text();
            const bool isNew = text == Version(item, true);
            ASSERT_TRUE(isNew || text == Version(item, false))
                << "round " << round << ", item " << item << " is torn: " << text.size()
                << " bytes";
            newVersions += isNew ? 1 : 0;
        }
    }
    EXPECT_GT(newVersions, 0) << "no write finished in any round";

    const fs::path folder = account.DictionaryPath("F");
    const std::vector<std::string> leftovers = TemporaryFiles(folder);
    RecordProperty("leftover_temporary_files", static_cast<int>(leftovers.size()));
    for (const std::string& name : leftovers) {
        MakeOld(folder / name);
    }
    account.WriteFile("F", ".kelvora-tmp-99999999-1", "a write under way");

    Session next;
    ASSERT_NE(Open(next, account.Path()), nullptr);
    EXPECT_EQ(TemporaryFiles(folder), std::vector<std::string>{".kelvora-tmp-99999999-1"})
        << leftovers.size() << " were left by the killed writers";
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/mv/AccountListing.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/UniqueFd.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using Ids = std::vector<std::string>;

const std::string kSecret = "I\nSECRET + 1\n\n\n\n\n\n\n";

class LinkSafety : public ::testing::Test {
protected:
    void SetUp() override {
        outside_ = account_.Parent() / "outside";
        fs::create_directory(outside_);
        std::ofstream(outside_ / "SECRET", std::ios::binary) << kSecret;
        account_.MakeDictionary("T");
        account_.WriteFile("T", "PLAIN", "A\nplain");
        session_ = account_.Connect();
    }

    const ServerCommand& Run(const std::string& text) {
        session_->Command().SetText(text);
        session_->Command().Exec();
        return session_->Command();
    }

    Ids Selected() {
        Ids ids;
        ServerSelectList& list = session_->SelectList(0);
        for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
            ids.push_back(id);
        }
        return ids;
    }

    // True when the account holds the secret's bytes anywhere: nothing may copy it in.
    bool AccountHoldsSecret() const {
        for (const auto& entry : fs::recursive_directory_iterator(account_.Path())) {
            if (entry.is_regular_file() && !entry.is_symlink() &&
                test::FileBytes(entry.path()).find("SECRET") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    test::TempAccount account_;
    fs::path outside_;
    std::unique_ptr<Session> session_;
};

// Runs `action` and fails the test if it blocks on the FIFO at `fifo` for more than a few
// seconds; a writer opened and closed then releases any reader, so the test ends either way.
void WithinFewSeconds(const fs::path& fifo, const std::function<void()>& action) {
    std::atomic<bool> done{false};
    bool released = false;
    std::thread watchdog([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        while (!done) {
            released = true;
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    action();
    done = true;
    watchdog.join();
    EXPECT_FALSE(released) << "the engine blocked on a FIFO";
}

TEST_F(LinkSafety, ADictionaryFolderThatIsALinkIsNoDictionary) {
    fs::create_directory_symlink(outside_, account_.DictionaryPath("OUT"));
    const auto before = account_.Snapshot();

    EXPECT_EQ(session_->OpenDictionary("OUT"), nullptr);
    EXPECT_EQ(session_->Error(), kNoSuchDictionary);

    EXPECT_EQ(Run("SSELECT DICT OUT").Error(), kUnknownFileInCommand);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(Run("SSELECT DICT OUT BY TYPE").Error(), kUnknownFileInCommand);
    // A compile would rewrite every descriptor it finds, here the file outside.
    EXPECT_EQ(Run("CD OUT").Error(), kUnknownFileInCommand);
    EXPECT_EQ(Run("CD OUT SECRET").Error(), kUnknownFileInCommand);

    EXPECT_EQ(account_.Snapshot(), before);
    EXPECT_EQ(ListDictionaries(account_.Path().string()), Ids{"T"});
}

TEST_F(LinkSafety, AnItemThatIsALinkIsNeitherReadNorListed) {
    fs::create_symlink(outside_ / "SECRET", account_.DictionaryPath("T") / "LEAK");
    // A link to an item of the same dictionary is no item either.
    fs::create_symlink("PLAIN", account_.DictionaryPath("T") / "ALIAS");
    const auto before = account_.Snapshot();

    auto file = session_->OpenDictionary("T");
    ASSERT_NE(file, nullptr);
    file->SetRecordId("LEAK");
    file->Read();
    EXPECT_EQ(file->Error(), kReadFailed);
    EXPECT_TRUE(file->Record().Text().empty());
    file->SetRecordId("ALIAS");
    file->Read();
    EXPECT_EQ(file->Error(), kReadFailed);

    // The export lists the ids of a select and reads each: neither step may see the link.
    for (const std::string text : {"SSELECT DICT T", "SSELECT DICT T BY TYPE", "SELECT DICT T"}) {
        EXPECT_EQ(Run(text).Error(), 0) << text;
        EXPECT_EQ(Selected(), Ids{"PLAIN"}) << text;
    }

    // A compile neither reads the secret through the link nor stores it in the account.
    Run("CD T");
    Run("CD T LEAK");
    EXPECT_FALSE(AccountHoldsSecret());
    EXPECT_TRUE(fs::is_symlink(account_.DictionaryPath("T") / "LEAK"));
    EXPECT_EQ(account_.Snapshot(), before);
}

// A write or delete of an id whose file is a link is refused: the link is not the
// engine's to remove, and what it points to is never written.
TEST_F(LinkSafety, AWriteOrDeleteNeverReplacesALinkOrItsTarget) {
    const fs::path leak = account_.DictionaryPath("T") / "LEAK";
    fs::create_symlink(outside_ / "SECRET", leak);
    auto file = session_->OpenDictionary("T");
    ASSERT_NE(file, nullptr);

    file->SetRecordId("LEAK");
    file->SetRecord(
        DynamicArray("D\xFE"
                     "1"));
    file->Write();
    EXPECT_EQ(file->Error(), kWriteFailed);
    file->DeleteRecord();
    EXPECT_EQ(file->Error(), kDeleteFailed);

    EXPECT_TRUE(fs::is_symlink(leak));
    EXPECT_EQ(fs::read_symlink(leak), outside_ / "SECRET");
    EXPECT_EQ(test::FileBytes(outside_ / "SECRET"), kSecret);
    // No temporary file of the refused write is left behind.
    Ids names;
    for (const auto& entry : fs::directory_iterator(account_.DictionaryPath("T"))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Ids{kLockFileName, "LEAK", "PLAIN"}));

    // An ordinary item of the same dictionary is still written.
    file->SetRecordId("NEW");
    file->Write();
    EXPECT_EQ(file->Error(), 0);
    EXPECT_EQ(account_.ReadFile("T", "NEW"), "D\n1");
}

TEST_F(LinkSafety, AFifoItemIsNeverReadAndNothingHangs) {
    const fs::path fifo = account_.DictionaryPath("T") / "PIPE";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    WithinFewSeconds(fifo, [&] {
        auto file = session_->OpenDictionary("T");
        ASSERT_NE(file, nullptr);
        file->SetRecordId("PIPE");
        file->Read();
        EXPECT_EQ(file->Error(), kReadFailed);
        EXPECT_EQ(Run("SSELECT DICT T BY TYPE").Error(), 0);
        EXPECT_EQ(Selected(), Ids{"PLAIN"});
        Run("CD T");
    });
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// An entry listed as a regular file may be swapped for a FIFO or a link before it is
// read; the read that trusts the listing must still refuse it.
TEST_F(LinkSafety, AReadOfAListedEntryRefusesWhatWasSwappedIn) {
    const fs::path dictionary = account_.DictionaryPath("T");
    ASSERT_EQ(::mkfifo((dictionary / "PIPE").c_str(), 0600), 0);
    fs::create_symlink(outside_ / "SECRET", dictionary / "LEAK");
    const UniqueFd dirFd(::open(dictionary.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(dirFd.Valid());

    std::string bytes = "old";
    std::string scratch;
    WithinFewSeconds(dictionary / "PIPE", [&] {
        EXPECT_EQ(ReadListedItemFile(dirFd.Get(), "PIPE", bytes, scratch), kReadFailed);
    });
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadListedItemFile(dirFd.Get(), "LEAK", bytes, scratch), kReadFailed);
    EXPECT_EQ(ReadItemFile(dirFd.Get(), "LEAK", bytes, nullptr), kReadFailed);
    EXPECT_TRUE(bytes.empty());
    FileStamp stamp;
    EXPECT_FALSE(StampItemFile(dirFd.Get(), "LEAK", stamp));
    EXPECT_EQ(ReadListedItemFile(dirFd.Get(), "PLAIN", bytes, scratch), kOk);
    EXPECT_EQ(bytes, "A\nplain");
}

// A command splits its words at blanks and tabs, so a name holding one would open one
// dictionary and select or compile another. Such names are refused everywhere.
TEST_F(LinkSafety, NamesWithABlankOrTabAreRefused) {
    account_.MakeDictionary("A");
    account_.WriteFile("A", "ONLY.A", "D\n0");
    account_.MakeDictionary("A B");
    account_.WriteFile("A B", "ONLY.AB", "D\n0");
    account_.MakeDictionary("A\tB");

    for (const std::string name : {"A B", "A\tB", " A", "A "}) {
        EXPECT_EQ(session_->OpenDictionary(name), nullptr) << name;
        EXPECT_EQ(session_->Error(), kBadFileName) << name;
    }
    EXPECT_EQ(ListDictionaries(account_.Path().string()), (Ids{"A", "T"}));

    // A quoted name is no way round it: the quotes are part of the words.
    for (const std::string text :
         {"SSELECT DICT \"A B\"", "SSELECT DICT A B", "SSELECT DICT A\tB", "CD \"A B\""}) {
        EXPECT_NE(Run(text).Error(), 0) << text;
        EXPECT_TRUE(Selected().empty()) << text;
    }
}

}  // namespace
}  // namespace mv

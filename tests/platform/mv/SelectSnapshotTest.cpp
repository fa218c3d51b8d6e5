// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/SelectSnapshot.h"
#include "platform/mv/UniqueFd.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using Watching = SelectSnapshot::Watching;
using Names = std::vector<std::string>;

UniqueFd OpenDirectory(const fs::path& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

DirectoryId IdOf(int dirFd) {
    struct stat st {};
    EXPECT_EQ(::fstat(dirFd, &st), 0);
    return DirectoryId{st.st_dev, st.st_ino};
}

const Names kItems = {"A", "B", "C", "D", "E"};

std::string RecordOf(const std::string& name) {
    return "record of " + name;
}

// A dictionary of five items, and snapshots of it kept the way a sorting select keeps
// them: Begin first, then each item read and kept in list order, with its stamp only
// when no watch stands guard. Every record handed out where the file changed after it
// was read would be a stale record served as current, and a write based on it would
// overwrite someone's change.
class SelectSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        account_.MakeDictionary("T");
        for (const std::string& name : kItems) {
            account_.WriteFile("T", name, RecordOf(name));
        }
        dir_ = OpenDirectory(account_.DictionaryPath("T"));
        ASSERT_TRUE(dir_.Valid());
        id_ = IdOf(dir_.Get());
    }

    // Returns what Begin returned: whether changes are watched.
    bool KeepInOrder(SelectSnapshot& snapshot, const Names& names,
                     Watching watching = Watching::IfPossible) {
        const bool watched = snapshot.Begin(dir_.Get(), id_, watching);
        for (const std::string& name : names) {
            std::string bytes;
            FileStamp stamp;
            EXPECT_EQ(ReadItemFile(dir_.Get(), name.c_str(), bytes, &stamp), kOk) << name;
            EXPECT_TRUE(snapshot.Keep(name, std::move(bytes), watched ? FileStamp{} : stamp));
        }
        return watched;
    }

    std::optional<std::string> Take(SelectSnapshot& snapshot, const std::string& name) {
        std::string record;
        if (!snapshot.Take(id_, dir_.Get(), name, record)) {
            return std::nullopt;
        }
        return record;
    }

    fs::path ItemPath(const std::string& name) const { return account_.DictionaryPath("T") / name; }

    // Writes over the item where it lies, keeping its inode, as an editor saving in
    // place would.
    void RewriteInPlace(const std::string& name, const std::string& bytes) const {
        std::ofstream out(ItemPath(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    // Puts a new file in the item's place, as an atomic save does.
    void ReplaceByRename(const std::string& name, const std::string& bytes) const {
        const fs::path temporary = ItemPath(name + ".new");
        std::ofstream(temporary, std::ios::binary) << bytes;
        fs::rename(temporary, ItemPath(name));
    }

    test::TempAccount account_;
    UniqueFd dir_;
    DirectoryId id_;
};

TEST_F(SelectSnapshotTest, HandsEachRecordOutOnceInListOrder) {
    SelectSnapshot snapshot;
    KeepInOrder(snapshot, kItems);
    for (const std::string& name : kItems) {
        EXPECT_EQ(Take(snapshot, name), RecordOf(name));
    }
    // A second read of the same item may follow a write: it must go to disk.
    for (const std::string& name : kItems) {
        EXPECT_EQ(Take(snapshot, name), std::nullopt) << name;
    }
    EXPECT_EQ(Take(snapshot, "Z"), std::nullopt);
}

TEST_F(SelectSnapshotTest, HandsRecordsOutOutOfOrderOnceEach) {
    SelectSnapshot snapshot;
    KeepInOrder(snapshot, kItems);
    EXPECT_EQ(Take(snapshot, "D"), RecordOf("D"));
    EXPECT_EQ(Take(snapshot, "Z"), std::nullopt);
    // Back in list order after a jump, then across the record already handed out.
    EXPECT_EQ(Take(snapshot, "A"), RecordOf("A"));
    EXPECT_EQ(Take(snapshot, "B"), RecordOf("B"));
    EXPECT_EQ(Take(snapshot, "C"), RecordOf("C"));
    EXPECT_EQ(Take(snapshot, "D"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "E"), RecordOf("E"));
    EXPECT_EQ(Take(snapshot, "A"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "C"), std::nullopt);
}

TEST_F(SelectSnapshotTest, ForgottenAndEarlierSnapshotsAreNeverHandedOut) {
    SelectSnapshot snapshot;
    KeepInOrder(snapshot, kItems);
    snapshot.Forget("D");  // ahead of the reads
    snapshot.Forget("A");  // the very next read
    snapshot.Forget("Z");  // never kept: nothing happens
    EXPECT_EQ(Take(snapshot, "A"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "B"), RecordOf("B"));
    EXPECT_EQ(Take(snapshot, "C"), RecordOf("C"));
    EXPECT_EQ(Take(snapshot, "D"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "E"), RecordOf("E"));

    // A new select starts afresh: nothing of the last one's is left to hand out.
    KeepInOrder(snapshot, {"A", "B"});
    KeepInOrder(snapshot, {"C"});
    EXPECT_EQ(Take(snapshot, "A"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "B"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "C"), RecordOf("C"));

    KeepInOrder(snapshot, {"A"});
    snapshot.Clear();
    EXPECT_EQ(Take(snapshot, "A"), std::nullopt);
}

TEST_F(SelectSnapshotTest, ARecordOfAnotherDirectoryNeverMatches) {
    account_.MakeDictionary("U");
    account_.WriteFile("U", "A", "record of A in U");
    const UniqueFd other = OpenDirectory(account_.DictionaryPath("U"));
    ASSERT_TRUE(other.Valid());

    SelectSnapshot snapshot;
    KeepInOrder(snapshot, kItems);
    std::string record;
    EXPECT_FALSE(snapshot.Take(IdOf(other.Get()), other.Get(), "A", record));
    // The same inode number on another device is another directory too.
    const DirectoryId otherDevice{id_.device + 1, id_.inode};
    EXPECT_FALSE(snapshot.Take(otherDevice, dir_.Get(), "A", record));
    EXPECT_TRUE(record.empty());
    // Asking for the other directory's item used nothing up.
    EXPECT_EQ(Take(snapshot, "A"), RecordOf("A"));
}

TEST_F(SelectSnapshotTest, AWatchedChangeKeepsTheRecordBack) {
    SelectSnapshot snapshot;
    if (!KeepInOrder(snapshot, kItems)) {
        GTEST_SKIP() << "changes to the temporary directory cannot be watched here";
    }

    // Changes land between the reads, as another user's saves would. The in-place
    // rewrite keeps the size, so only the watch can tell.
    RewriteInPlace("B", "RECORD OF B");
    EXPECT_EQ(Take(snapshot, "A"), RecordOf("A"));
    EXPECT_EQ(Take(snapshot, "B"), std::nullopt);
    ReplaceByRename("C", "new C");
    EXPECT_EQ(Take(snapshot, "C"), std::nullopt);
    fs::remove(ItemPath("D"));
    EXPECT_EQ(Take(snapshot, "D"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "E"), RecordOf("E"));
}

TEST_F(SelectSnapshotTest, WithoutAWatchTheStampKeepsAChangedRecordBack) {
    SelectSnapshot snapshot;
    ASSERT_FALSE(KeepInOrder(snapshot, kItems, Watching::Never));

    RewriteInPlace("B", "a longer record of B");
    ReplaceByRename("C", "record of c");  // same size, new file
    fs::remove(ItemPath("D"));
    // Same size and the old modification time put back, as a copy keeping times does:
    // only the change time tells. It moves in clock ticks, so let one pass first.
    const fs::file_time_type modified = fs::last_write_time(ItemPath("E"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RewriteInPlace("E", "RECORD OF E");
    fs::last_write_time(ItemPath("E"), modified);

    EXPECT_EQ(Take(snapshot, "A"), RecordOf("A"));
    EXPECT_EQ(Take(snapshot, "B"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "C"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "D"), std::nullopt);
    EXPECT_EQ(Take(snapshot, "E"), std::nullopt);
}

// How many events the kernel queues for one watch before it reports an overflow.
std::optional<long> QueuedEventLimit() {
    std::ifstream in("/proc/sys/fs/inotify/max_queued_events");
    long limit = 0;
    if (!(in >> limit)) {
        return std::nullopt;
    }
    return limit;
}

TEST_F(SelectSnapshotTest, AnOverflowedWatchCountsEveryRecordAsChanged) {
    const std::optional<long> limit = QueuedEventLimit();
    if (!limit || *limit > (1L << 20)) {
        GTEST_SKIP() << "the event queue is too large to overflow in a test";
    }
    account_.WriteFile("T", "X", "");
    account_.WriteFile("T", "Y", "");
    const UniqueFd x(::openat(dir_.Get(), "X", O_WRONLY | O_CLOEXEC));
    const UniqueFd y(::openat(dir_.Get(), "Y", O_WRONLY | O_CLOEXEC));
    ASSERT_TRUE(x.Valid() && y.Valid());

    SelectSnapshot snapshot;
    if (!KeepInOrder(snapshot, kItems)) {
        GTEST_SKIP() << "changes to the temporary directory cannot be watched here";
    }

    // Fill the queue with changes to files nobody reads; alternating keeps the kernel
    // from merging them. The change to B that follows is lost in the overflow.
    for (long i = 0; i <= *limit; ++i) {
        ASSERT_EQ(::pwrite(i % 2 == 0 ? x.Get() : y.Get(), "x", 1, 0), 1);
    }
    RewriteInPlace("B", "RECORD OF B");

    EXPECT_EQ(Take(snapshot, "B"), std::nullopt);
    for (const std::string& name : kItems) {
        EXPECT_EQ(Take(snapshot, name), std::nullopt) << name;
    }
}

TEST_F(SelectSnapshotTest, RecordsPastTheSizeCapAreNotKept) {
    const std::size_t perItem = 1 + RecordOf("A").size();  // name and record
    SelectSnapshot snapshot(2 * perItem);
    snapshot.Begin(dir_.Get(), id_, Watching::Never);
    for (const std::string name : {"A", "B"}) {
        FileStamp stamp;
        ASSERT_TRUE(StampItemFile(dir_.Get(), name.c_str(), stamp));
        EXPECT_TRUE(snapshot.Keep(name, RecordOf(name), stamp)) << name;
    }
    FileStamp stamp;
    ASSERT_TRUE(StampItemFile(dir_.Get(), "C", stamp));
    EXPECT_FALSE(snapshot.Keep("C", RecordOf("C"), stamp));

    EXPECT_EQ(Take(snapshot, "A"), RecordOf("A"));
    EXPECT_EQ(Take(snapshot, "B"), RecordOf("B"));
    EXPECT_EQ(Take(snapshot, "C"), std::nullopt);
}

}  // namespace
}  // namespace mv

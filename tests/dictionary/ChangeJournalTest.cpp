// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/JournalFormat.h"
#include "dictionary/ChangeJournal.h"
#include "tests/support/TempDir.h"

namespace {

using dictionary::ChangeJournal;
using dictionary::ChangeOrigin;
using dictionary::ChangeOutcome;
using dictionary::JournalEntry;

std::string FileBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void SetFileBytes(const QString& path, const std::string& bytes) {
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Every byte value, the marks among them.
std::string AllBytes() {
    std::string bytes;
    for (int value = 255; value >= 0; --value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

// A record of forty bytes, each a mark or a letter of the id, easy to find in the file.
std::string RecordOf(const std::string& id) {
    std::string record;
    for (int n = 0; n < 40; ++n) {
        record += n % 4 == 0 ? std::string("\xFD") : id;
    }
    return record;
}

class ChangeJournalTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path() const { return dir.filePath(QStringLiteral("journal/account.journal")); }
    ChangeJournal journal(std::int64_t cap = ChangeJournal::kDefaultCapBytes) const {
        return ChangeJournal("local:/accounts/test", path(), cap);
    }
};

TEST_F(ChangeJournalTest, binaryIdsAndRecordsComeBackInAnotherRunWithTheirOutcomes) {
    const std::string id = std::string("ID\xFE\xFD\n\0\xFF.", 9);
    {
        ChangeJournal first = journal();
        const auto created =
            first.Begin(ChangeOrigin::Edit, "ORDERS", id, std::nullopt, AllBytes());
        first.Finish(created, ChangeOutcome::Done);
        const auto refused =
            first.Begin(ChangeOrigin::Copy, "ORDERS", "X", std::string("old"), "new");
        first.Finish(refused, ChangeOutcome::Failed);
        // The answer was lost with the connection, then the account showed it arrived.
        first.Finish(refused, ChangeOutcome::Done);
        const auto deleted = first.Begin(ChangeOrigin::Undo, "D\xFE", id, AllBytes(), std::nullopt);
        first.Finish(deleted, ChangeOutcome::Done);
        first.Begin(ChangeOrigin::Edit, "ORDERS", "CRASHED", std::nullopt, "x");
        EXPECT_TRUE(first.Problem().isEmpty()) << first.Problem().toStdString();
    }

    const std::vector<JournalEntry> read = journal().ReadAll();
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0].id, id);
    EXPECT_EQ(read[0].file, "ORDERS");
    EXPECT_EQ(read[0].before, std::nullopt);
    EXPECT_EQ(read[0].after, AllBytes());
    EXPECT_EQ(read[0].outcome, ChangeOutcome::Done);
    EXPECT_EQ(read[1].origin, ChangeOrigin::Copy);
    EXPECT_EQ(read[1].outcome, ChangeOutcome::Done) << "the last outcome counts";
    EXPECT_EQ(read[2].file, "D\xFE");
    EXPECT_EQ(read[2].before, AllBytes());
    EXPECT_EQ(read[2].after, std::nullopt);
    EXPECT_EQ(read[2].origin, ChangeOrigin::Undo);
    EXPECT_EQ(read[3].outcome, ChangeOutcome::Unknown) << "no answer was recorded";
    EXPECT_GT(read[0].msecsSinceEpoch, 0);

    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // A journal left readable by others is made private again by the next change.
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    journal().Begin(ChangeOrigin::Edit, "ORDERS", "NEXT", std::nullopt, "x");
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ChangeJournalTest, aTornTailOrADamagedFrameIsSkippedAndTheNextRunAppendsCleanly) {
    {
        ChangeJournal first = journal();
        for (const char* id : {"A", "B", "C"}) {
            first.Finish(first.Begin(ChangeOrigin::Edit, "F", id, std::nullopt, RecordOf(id)),
                         ChangeOutcome::Done);
        }
    }
    const std::string whole = FileBytes(path());
    const std::size_t endOfB = core::DecodeJournal(whole.substr(0, whole.size() / 3 * 2)).goodEnd;
    ASSERT_GT(endOfB, 0u);
    // Each cut of the last frames leaves the frames before it readable.
    for (std::size_t cut = endOfB; cut < whole.size(); cut += 7) {
        SetFileBytes(path(), whole.substr(0, cut));
        const auto read = journal().ReadAll();
        ASSERT_GE(read.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(read[1].id, "B");
    }

    // A crash cut the last change short; the next run's append lands after good frames.
    SetFileBytes(path(), whole.substr(0, whole.size() - 5));
    {
        ChangeJournal next = journal();
        next.Finish(next.Begin(ChangeOrigin::Edit, "F", "D", std::nullopt, RecordOf("D")),
                    ChangeOutcome::Done);
    }
    std::vector<std::string> ids;
    for (const JournalEntry& entry : journal().ReadAll()) {
        ids.push_back(entry.id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(core::DecodeJournal(FileBytes(path())).goodEnd, FileBytes(path()).size());

    // One flipped byte inside B's record loses that change only; the others come back
    // exactly, and no change comes back with the wrong bytes.
    std::string damaged = FileBytes(path());
    const std::size_t inB = damaged.find(RecordOf("B"));
    ASSERT_NE(inB, std::string::npos);
    damaged[inB + 20] = static_cast<char>(damaged[inB + 20] ^ 0x5A);
    SetFileBytes(path(), damaged);
    ids.clear();
    for (const JournalEntry& entry : journal().ReadAll()) {
        ids.push_back(entry.id);
        EXPECT_EQ(entry.after, RecordOf(entry.id)) << entry.id;
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"A", "C", "D"}));

    // A whole last frame that does not check out is damage, not a frame a crash cut short:
    // the next run appends after it and cuts nothing.
    damaged.back() = static_cast<char>(damaged.back() ^ 0x01);
    SetFileBytes(path(), damaged);
    journal().Begin(ChangeOrigin::Edit, "F", "E", std::nullopt, RecordOf("E"));
    EXPECT_EQ(FileBytes(path()).substr(0, damaged.size()), damaged);
}

std::vector<std::string> IdsOf(const std::vector<JournalEntry>& entries) {
    std::vector<std::string> ids;
    for (const JournalEntry& entry : entries) {
        ids.push_back(entry.id);
    }
    return ids;
}

// Damage in front of good frames loses the frames it touches and no other: the history
// shows every later change, and the next run's append cuts nothing off.
TEST_F(ChangeJournalTest, damageInFrontOfGoodFramesHidesNoneOfThem) {
    {
        ChangeJournal first = journal();
        for (const char* id : {"A", "B", "C"}) {
            first.Finish(first.Begin(ChangeOrigin::Edit, "F", id, std::nullopt, RecordOf(id)),
                         ChangeOutcome::Done);
        }
    }
    const std::string whole = FileBytes(path());
    // The first change frame (after the frame naming its user) has its length in the 4
    // bytes after the 4 of its mark.
    const std::size_t change = whole.find(whole.substr(0, 4), 1);
    ASSERT_NE(change, std::string::npos);
    std::string intoNext = whole;
    intoNext[change + 4] = static_cast<char>(intoNext[change + 4] + 40);
    std::string pastEnd = whole;
    pastEnd[change + 7] = '\x10';
    // Another copy was killed in the middle of its first append, and a copy that had
    // already looked at the file's tail appended after it.
    JournalEntry killed;
    killed.id = "KILLED";
    killed.after = std::string(4000, 'k');
    const std::string tornInFront = core::EncodeChangeFrame(killed).substr(0, 100) + whole;
    // Crafted: a frame mark every 8 bytes, each length reaching near the end, each payload
    // starting like a change. Read naively, every candidate is checksummed to the end.
    constexpr std::size_t kCrafted = 256 * 1024;
    std::string crafted;
    for (std::size_t at = 0; at < kCrafted; at += 8) {
        const std::size_t reach = kCrafted + whole.size() - at - 12;
        const std::uint32_t length = static_cast<std::uint32_t>((reach & ~std::size_t{0xFF}) | 'C');
        crafted += whole.substr(0, 4);
        for (int shift = 0; shift < 32; shift += 8) {
            crafted += static_cast<char>((length >> shift) & 0xFFu);
        }
    }
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> ids;
    } cases[] = {
        {"a length into the next frame", intoNext, {"B", "C"}},
        {"a length past the end", pastEnd, {"B", "C"}},
        {"a torn frame in front", tornInFront, {"A", "B", "C"}},
        {"crafted marks in front", crafted + whole, {"A", "B", "C"}},
    };
    for (const auto& damage : cases) {
        SCOPED_TRACE(damage.what);
        // Reading takes time in step with the size: no byte is checksummed twice.
        EXPECT_LE(core::DecodeJournal(damage.bytes).checksummedBytes, damage.bytes.size());
        SetFileBytes(path(), damage.bytes);
        EXPECT_EQ(IdsOf(journal().ReadAll()), damage.ids);
        {
            ChangeJournal next = journal();
            next.Finish(next.Begin(ChangeOrigin::Edit, "F", "D", std::nullopt, RecordOf("D")),
                        ChangeOutcome::Done);
        }
        EXPECT_EQ(FileBytes(path()).substr(0, damage.bytes.size()), damage.bytes)
            << "nothing is cut";
        std::vector<std::string> ids = damage.ids;
        ids.push_back("D");
        EXPECT_EQ(IdsOf(journal().ReadAll()), ids);
    }
}

// A full disk takes part of a change: the part is cut off again, so that it does not sit
// in front of the changes that follow, and the run keeps the change in memory.
TEST_F(ChangeJournalTest, anAppendTheDiskCutShortIsCutOffAndLaterChangesReadBack) {
    ChangeJournal writer = journal();
    writer.Finish(writer.Begin(ChangeOrigin::Edit, "F", "A", std::nullopt, RecordOf("A")),
                  ChangeOutcome::Done);
    const std::string before = FileBytes(path());

    // A file size limit stands in for the full disk: the write stops part way, then fails.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(before.size() + 40);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::uint64_t lost =
        writer.Begin(ChangeOrigin::Edit, "F", "B", std::nullopt, std::string(4000, 'b'));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    ASSERT_EQ(::sigaction(SIGXFSZ, &previous, nullptr), 0);

    EXPECT_NE(writer.Problem().toStdString().find("Cannot write"), std::string::npos)
        << writer.Problem().toStdString();
    EXPECT_EQ(FileBytes(path()), before);
    writer.Finish(lost, ChangeOutcome::Done);
    writer.Finish(writer.Begin(ChangeOrigin::Edit, "F", "C", std::nullopt, RecordOf("C")),
                  ChangeOutcome::Done);
    EXPECT_EQ(IdsOf(journal().ReadAll()), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(writer.ReadAll().size(), 3u) << "the run keeps B in memory, once";
}

TEST_F(ChangeJournalTest, theCapDropsTheOldestChangesAndKeepsTheNewestWhole) {
    constexpr std::int64_t kCap = 4096;
    ChangeJournal capped = journal(kCap);
    const std::string record(300, '\xFE');
    for (int n = 0; n < 60; ++n) {
        const std::uint64_t sequence =
            capped.Begin(ChangeOrigin::Edit, "F", "ITEM" + std::to_string(n), record,
                         record + std::to_string(n));
        ASSERT_LE(QFileInfo(path()).size(), kCap) << "after the change " << n << " began";
        capped.Finish(sequence, ChangeOutcome::Done);
        ASSERT_LE(QFileInfo(path()).size(), kCap) << "after change " << n;
    }
    const std::vector<JournalEntry> read = ChangeJournal("k", path(), kCap).ReadAll();
    ASSERT_FALSE(read.empty());
    EXPECT_LT(read.size(), 60u);
    EXPECT_EQ(read.back().id, "ITEM59");
    for (std::size_t n = 1; n < read.size(); ++n) {
        EXPECT_EQ(read[n].id, "ITEM" + std::to_string(60 - read.size() + n)) << "in order";
        EXPECT_EQ(read[n].outcome, ChangeOutcome::Done);
        EXPECT_EQ(read[n].before, record);
    }
    EXPECT_EQ(capped.SessionEntries().size(), 60u) << "the run's memory keeps every change";
    EXPECT_TRUE(capped.Problem().isEmpty());
}

TEST_F(ChangeJournalTest, aJournalThatCannotBeWrittenKeepsTheChangesOfTheRun) {
    // A plain file where the journal's folder should be.
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    SetFileBytes(dir.filePath(QStringLiteral("journal")), "not a folder");
    ChangeJournal blocked = journal();
    const auto sequence = blocked.Begin(ChangeOrigin::Edit, "F", "A", std::nullopt, "new");
    blocked.Finish(sequence, ChangeOutcome::Done);
    EXPECT_FALSE(blocked.Problem().isEmpty());
    const auto read = blocked.ReadAll();
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].after, "new");
    EXPECT_EQ(read[0].outcome, ChangeOutcome::Done);
}

// A child journals each change, then makes it (an item file renamed into place), then
// records its outcome, until it is killed at a random moment. Every item the child's
// writes left on disk must be in the journal with its bytes; a torn last frame must not
// hide the changes before it, nor those the next child appends.
TEST_F(ChangeJournalTest, everyChangeThatReachedTheDiskIsJournaledWhenTheProcessIsKilled) {
    const QString items = dir.filePath(QStringLiteral("items"));
    ASSERT_TRUE(QDir().mkpath(items));
    std::mt19937 random(std::random_device{}());
    int next = 0;
    for (int round = 0; round < 6; ++round) {
        const int first = next;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Large enough that no round's changes push an earlier round's out.
            ChangeJournal writer("local:/accounts/test", path(), 64 * 1024 * 1024);
            for (int n = first;; ++n) {
                const std::string id = "I" + std::to_string(n);
                const std::string bytes =
                    id + std::string("\xFE\xFD\n", 3) + std::string(n % 97, 'x');
                const auto sequence =
                    writer.Begin(ChangeOrigin::Edit, "F", id, std::nullopt, bytes);
                const QByteArray target =
                    QFile::encodeName(items + QLatin1Char('/') + QString::fromStdString(id));
                {
                    std::ofstream out(target.toStdString() + ".tmp", std::ios::binary);
                    out << bytes;
                }
                ::rename((target + ".tmp").constData(), target.constData());
                writer.Finish(sequence, ChangeOutcome::Done);
            }
        }
        // The child has made a change of its own before the random moment starts, however
        // slow the machine (a sanitizer build, a busy disk).
        const auto before = QDir(items).entryList(QDir::Files).size();
        for (int wait = 0; wait < 1000 && QDir(items).entryList(QDir::Files).size() <= before;
             ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        std::map<std::string, std::string> journaled;
        for (const JournalEntry& entry : journal().ReadAll()) {
            journaled[entry.id] = entry.after.value_or("");
        }
        const QStringList written = QDir(items).entryList({QStringLiteral("I*")}, QDir::Files);
        ASSERT_FALSE(written.isEmpty()) << "round " << round;
        for (const QString& name : written) {
            if (name.endsWith(QStringLiteral(".tmp"))) {
                continue;
            }
            const auto found = journaled.find(name.toStdString());
            ASSERT_NE(found, journaled.end()) << name.toStdString() << " reached the disk";
            EXPECT_EQ(found->second, FileBytes(items + QLatin1Char('/') + name));
            next = std::max(next, name.mid(1).toInt() + 1);
        }
    }
}

}  // namespace

TEST_F(ChangeJournalTest, groupFramesReadBesideFilesOfTheFirstLayoutAndOutliveTheCap) {
    // A change of OLD and its outcome, as the first layout wrote them: they read the same
    // whatever follows, and a group frame only adds to them or is skipped.
    const std::string firstLayout(
        "\x4B\x4A\x01\xA5\x2F\x00\x00\x00\x48\xB2\xF5\x9E\x43\x08\x07\x06\x05\x04\x03\x02\x01"
        "\x01\x00\x00\x00\x00\x00\x00\x00\x00\x68\xE5\xCF\x8B\x01\x00\x00\x00\x01\x00\x00\x00"
        "\x46\x03\x00\x00\x00\x4F\x4C\x44\x00\x01\x03\x00\x00\x00\x44\xFE\x31\x4B\x4A\x01\xA5"
        "\x12\x00\x00\x00\x7D\x58\xAC\xF6\x4F\x08\x07\x06\x05\x04\x03\x02\x01\x01\x00\x00\x00"
        "\x00\x00\x00\x00\x01",
        89);
    constexpr std::uint64_t kRun = 0x0102030405060708;
    const auto group = [](std::uint64_t first, std::uint64_t last,
                          core::ChangeGroupKind kind = core::ChangeGroupKind::Rename) {
        return core::EncodeGroupFrame({kRun, first, last, kind, "OLD", "NEW"});
    };
    const std::string unknownKind = group(1, 1, static_cast<core::ChangeGroupKind>(7));
    std::string damaged = group(1, 1);
    damaged.back() = 'X';
    const struct {
        const char* name;
        std::string bytes;
        std::size_t groups;
    } cases[] = {
        {"the first layout alone", firstLayout, 0},
        {"a group after its change", firstLayout + group(1, 1), 1},
        {"a group before the changes of an old file", group(1, 1) + firstLayout, 1},
        {"a group of a kind not known here", firstLayout + unknownKind, 0},
        {"a group whose first change is past its last", firstLayout + group(2, 1), 0},
        {"a damaged group", damaged + firstLayout, 0},
    };
    for (const auto& c : cases) {
        const core::DecodedJournal read = core::DecodeJournal(c.bytes);
        ASSERT_EQ(read.entries.size(), 1u) << c.name;
        EXPECT_EQ(read.entries[0].id, "OLD") << c.name;
        EXPECT_EQ(read.entries[0].after, std::string("D\xFE"
                                                     "1"))
            << c.name;
        EXPECT_EQ(read.entries[0].outcome, ChangeOutcome::Done) << c.name;
        ASSERT_EQ(read.groups.size(), c.groups) << c.name;
        if (c.groups == 1) {
            EXPECT_EQ(read.groups[0].from + ">" + read.groups[0].to, "OLD>NEW") << c.name;
        }
    }

    // When the cap drops the oldest changes, each group kept follows its last change.
    constexpr std::int64_t kCap = 4096;
    ChangeJournal capped = journal(kCap);
    for (int n = 0; n < 30; ++n) {
        const std::string id = "ITEM" + std::to_string(n);
        ASSERT_TRUE(capped.OpenGroup(core::ChangeGroupKind::Rename, id, id + "X"));
        for (const char* part : {"X", "Y"}) {
            capped.Finish(capped.Begin(ChangeOrigin::Edit, "F", id + part, std::nullopt,
                                       std::string(100, 'r')),
                          ChangeOutcome::Done);
        }
        capped.CloseGroup(/*kept=*/true);
    }
    const core::DecodedJournal read = core::DecodeJournal(FileBytes(path()));
    ASSERT_LT(read.entries.size(), 60u);
    ASSERT_FALSE(read.groups.empty());
    EXPECT_EQ(read.groups.back().from, "ITEM29");
    EXPECT_GE(read.groups.size(), read.entries.size() / 2);
}

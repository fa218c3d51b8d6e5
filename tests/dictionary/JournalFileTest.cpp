// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/JournalFile.h"
#include "dictionary/ChangeJournal.h"
#include "platform/mv/LockHolder.h"
#include "platform/mv/Session.h"
#include "tests/support/TempDir.h"

namespace {

using core::ChangeOrigin;
using core::ChangeOutcome;
using core::JournalFile;
using dictionary::ChangeJournal;

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Sets an environment variable (nullopt: unsets it) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

// kelvora-cmd finds the journal the window uses for the same account, wherever the user's
// data folder is, and the names of journals already on disk stay what they were.
TEST(JournalFile, findsTheJournalTheWindowUses) {
    TempDir dir;
    const std::string root = Bytes(dir.path());
    const std::string keys[] = {"local:/accounts/test", "remote:db.example.com:31438/SALES",
                                "local:" + std::string(80, 'x') + "/\xC3\xA9t\xE9 \xFE."};
    const struct {
        std::optional<std::string> data;
        std::optional<std::string> home;
    } places[] = {
        {root + "/data", root + "/home"},   {root + "//data/", root + "/home"},
        {std::nullopt, root + "//home/./"}, {"", root + "/home"},
        {std::nullopt, std::nullopt},
    };
    for (const auto& place : places) {
        const ScopedEnv data("XDG_DATA_HOME", place.data);
        const ScopedEnv home("HOME", place.home);
        for (const std::string& key : keys) {
            EXPECT_EQ(JournalFile::DefaultPathOf(key), Bytes(ChangeJournal::UserDataPath(key)))
                << "XDG_DATA_HOME=" << place.data.value_or("(unset)")
                << " HOME=" << place.home.value_or("(unset)") << " key " << key;
            EXPECT_EQ(JournalFile::PathOf(key), ChangeJournal(key).File().Path())
                << "XDG_DATA_HOME=" << place.data.value_or("(unset)")
                << " HOME=" << place.home.value_or("(unset)") << " key " << key;
        }
    }
    EXPECT_EQ(JournalFile::PathUnder("/d", keys[0]),
              "/d/kelvora/journal/local__accounts_test-963e5e56f9c93880.journal");
    EXPECT_EQ(JournalFile::PathUnder("/d", keys[1]),
              "/d/kelvora/journal/remote_db.example.com_31438_SALES-7626716141a942d2.journal");
}

// The key of a local account is the folder as the window has always named it: its links
// resolved when it exists, else made absolute and cleaned.
TEST(JournalFile, theAccountKeyIsTheOneTheWindowUses) {
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("real/ACCOUNT"))));
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("real")), dir.filePath(QStringLiteral("link"))));
    const QString folders[] = {
        dir.filePath(QStringLiteral("link/ACCOUNT/")),
        dir.filePath(QStringLiteral("real//ACCOUNT")),
        dir.filePath(QStringLiteral("link/missing/../ACCOUNT/./x/..")),
        QStringLiteral("relative/missing/../ACCOUNT"),
        QStringLiteral("/no/such//folder/"),
    };
    for (const QString& folder : folders) {
        mv::Session session;
        session.SetAccountPath(Bytes(folder));
        const QFileInfo info(folder);
        const QString canonical = info.canonicalFilePath();
        const QString expected =
            canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
        EXPECT_EQ(JournalFile::AccountKeyOf(session), "local:" + Bytes(expected))
            << folder.toStdString();
    }
    mv::Session remote;
    remote.SetHostName("db.example.com:31438");
    remote.SetAccountPath("SALES");
    EXPECT_EQ(JournalFile::AccountKeyOf(remote), "remote:db.example.com:31438/SALES");
}

// A local account keeps one journal for everyone, in a folder of its own with the
// account's group and nothing for others: what another process (kelvora-cmd, say) journals
// shows in the window's history with its user, after what this user's data folder kept of
// the account before.
TEST(JournalFile, aLocalAccountKeepsOneHistoryForEveryProcess) {
    TempDir dir;
    const ScopedEnv data("XDG_DATA_HOME", Bytes(dir.filePath(QStringLiteral("data"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("ACCOUNT"))));
    const std::string account = Bytes(dir.filePath(QStringLiteral("ACCOUNT")));
    const std::string key = JournalFile::LocalAccountKey(account);
    {
        JournalFile before(key, JournalFile::DefaultPathOf(key));  // as written before
        before.Finish(before.Begin(ChangeOrigin::Edit, "F", "OLD", std::nullopt, "o"),
                      ChangeOutcome::Done);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        JournalFile command(key);
        command.SetUser("ann");
        const bool written = command.Finish(
            command.Begin(ChangeOrigin::Edit, "F", "QTY", "q0", "q1"), ChangeOutcome::Done);
        ::_exit(written ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    ChangeJournal window(key, ChangeJournal::DefaultPath(key));
    EXPECT_EQ(Bytes(window.Path()), JournalFile::AccountJournalPath(account));
    window.Finish(window.Begin(ChangeOrigin::Edit, "F", "PRICE", std::nullopt, "p"),
                  ChangeOutcome::Done);

    std::vector<std::pair<std::string, std::string>> seen;
    for (const core::JournalEntry& entry : window.ReadAll()) {
        seen.emplace_back(entry.id, entry.user);
    }
    const std::string login = mv::LoginName();
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                        {"OLD", login}, {"QTY", "ann"}, {"PRICE", login}}));
    struct stat folder {};
    struct stat accountInfo {};
    struct stat file {};
    ASSERT_EQ(::stat((account + "/.kelvora-journal").c_str(), &folder), 0);
    ASSERT_EQ(::stat(account.c_str(), &accountInfo), 0);
    ASSERT_EQ(::stat(JournalFile::AccountJournalPath(account).c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 07777, 02770u);
    EXPECT_EQ(folder.st_gid, accountInfo.st_gid);
    EXPECT_EQ(file.st_mode & 0777, 0660u);
}

// What kelvora-cmd journals shows in the window's history beside the window's own
// changes, in a data folder made private on the way (a server's account).
TEST(JournalFile, itsChangesShowInTheWindowsHistory) {
    TempDir dir;
    const ScopedEnv data("XDG_DATA_HOME", Bytes(dir.filePath(QStringLiteral("data"))));
    const std::string key = "remote:db.example.com:31438/SALES";
    ChangeJournal window(key, ChangeJournal::DefaultPath(key));
    JournalFile command(key);

    window.Finish(window.Begin(ChangeOrigin::Edit, "F", "A", std::nullopt, "a"),
                  ChangeOutcome::Done);
    const std::uint64_t saved = command.Begin(ChangeOrigin::Edit, "F", "B", "b0", "b1");
    EXPECT_EQ(saved, 1u);
    EXPECT_TRUE(command.Finish(saved, ChangeOutcome::Done));
    const std::uint64_t refused = command.Begin(ChangeOrigin::Edit, "F", "C", "c", std::nullopt);
    EXPECT_EQ(refused, 2u);
    command.Finish(refused, ChangeOutcome::Failed);
    EXPECT_EQ(command.Problem(), "");

    const std::vector<core::JournalEntry> read = window.ReadAll();
    std::vector<std::pair<std::string, ChangeOutcome>> seen;
    for (const core::JournalEntry& entry : read) {
        seen.emplace_back(entry.id, entry.outcome);
    }
    EXPECT_EQ(
        seen,
        (std::vector<std::pair<std::string, ChangeOutcome>>{
            {"A", ChangeOutcome::Done}, {"B", ChangeOutcome::Done}, {"C", ChangeOutcome::Failed}}));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].before, "b0");
    EXPECT_EQ(read[1].after, "b1");
    EXPECT_EQ(read[1].session, command.RunId());
    EXPECT_EQ(read[2].after, std::nullopt);
    EXPECT_EQ(command.ReadAll().size(), 3u);

    struct stat info {};
    ASSERT_EQ(::stat(QFileInfo(window.Path()).path().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(command.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A journal that cannot be made reports it, and an outcome for nothing writes nothing.
    std::ofstream(Bytes(dir.filePath(QStringLiteral("blocked")))) << "a file";
    JournalFile blocked(key, Bytes(dir.filePath(QStringLiteral("blocked/j.journal"))));
    EXPECT_EQ(blocked.Begin(ChangeOrigin::Edit, "F", "D", std::nullopt, "d"), 0u);
    EXPECT_NE(blocked.Problem().find("Cannot create the folder"), std::string::npos);
    EXPECT_FALSE(blocked.Finish(0, ChangeOutcome::Done));
}

}  // namespace

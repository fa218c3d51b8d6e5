// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "core/JournalFile.h"
#include "core/JournalFormat.h"

namespace mv {
class Session;
}

namespace dictionary {

using core::ChangeOrigin;
using core::ChangeOutcome;
using core::JournalEntry;

// The record of every write and delete this program makes to the items of one account:
// kept in memory for the run, and appended to the account's journal file (JournalFile,
// which keeps the file's rules: flushed before the change is made, locked, capped) that
// outlives it.
//
// A journal file that cannot be written or read never stops a change: the change is kept
// in memory, and Problem() says what went wrong.
class ChangeJournal {
public:
    static constexpr std::int64_t kDefaultCapBytes = core::JournalFile::kDefaultCapBytes;

    ChangeJournal(std::string accountKey, QString path, std::int64_t capBytes = kDefaultCapBytes);
    // The journal of the account at its usual place (JournalFile::PathOf), its path kept
    // in bytes, with what this user's data folder kept of a local account before.
    explicit ChangeJournal(std::string accountKey);

    // "local:<account folder>" or "remote:<host>/<account>" (JournalFile::AccountKeyOf).
    static std::string AccountKeyOf(const mv::Session& session);
    // The journal file of an account: in the account for a local one, which its users
    // share (JournalFile::PathOf), else UserDataPath. A journal at the account's place
    // also reads what this user's data folder kept of the account before.
    static QString DefaultPath(const std::string& accountKey);
    // The journal file of an account in the user's data folder
    // ($XDG_DATA_HOME/kelvora/journal, else ~/.local/share/kelvora/journal).
    static QString UserDataPath(const std::string& accountKey);
    // Who the changes name from now on: by default the login name.
    void SetUser(std::string user) { file_.SetUser(std::move(user)); }

    const std::string& AccountKey() const { return file_.AccountKey(); }
    const QString& Path() const { return path_; }
    const core::JournalFile& File() const { return file_; }

    // Records a change about to be made; returns its sequence number in this run.
    std::uint64_t Begin(ChangeOrigin origin, const std::string& file, const std::string& id,
                        const std::optional<std::string>& before,
                        const std::optional<std::string>& after);
    // Records whether the change reached the account. May be called again for a change
    // whose outcome turned out otherwise (a reply lost with the connection).
    void Finish(std::uint64_t sequence, ChangeOutcome outcome);

    // Changes made as one (a rename): the changes recorded from OpenGroup to CloseGroup
    // are one step for undo. Groups do not nest: an OpenGroup while one is open is false
    // and changes nothing. CloseGroup with kept false says the changes were taken back
    // (the account is as before them): they are then no step at all, and the file is
    // not told of the group.
    struct Group {
        core::JournalGroup changes;
        bool open = true;
        bool kept = true;
    };
    bool OpenGroup(core::ChangeGroupKind kind, const std::string& from, const std::string& to);
    void CloseGroup(bool kept);
    // The group of a change of this run, or null.
    const Group* GroupOf(std::uint64_t sequence) const;

    // The changes of this run, oldest first.
    const std::vector<JournalEntry>& SessionEntries() const { return session_; }
    const JournalEntry* SessionEntry(std::uint64_t sequence) const;

    // Every change the file holds, of every run, oldest first, with the changes of this
    // run the file could not take.
    std::vector<JournalEntry> ReadAll() const;

    // Where everyone's changes of a file are read from, when not from the file this
    // journal appends to (a server that keeps the account's history): nullopt when it
    // cannot tell.
    using HistorySource =
        std::function<std::optional<std::vector<JournalEntry>>(const std::string& file)>;
    void SetHistorySource(HistorySource source) { historySource_ = std::move(source); }
    // The changes of the file that History shows: the history source's, else ReadAll's.
    std::vector<JournalEntry> ReadHistory(const std::string& file) const;
    // Whether the last ReadHistory had a history source that could not tell, so that
    // what it gave are the changes made from this computer only.
    bool HistoryFromThisComputerOnly() const { return thisComputerOnly_; }

    // Why the file could not be written, or empty.
    const QString& Problem() const { return problem_; }

private:
    void TakeProblem();

    core::JournalFile file_;
    QString path_;
    std::vector<JournalEntry> session_;
    std::vector<Group> groups_;
    // Sequences of this run the file did not take.
    std::vector<std::uint64_t> unwritten_;
    QString problem_;
    HistorySource historySource_;
    mutable bool thisComputerOnly_ = false;
};

}  // namespace dictionary

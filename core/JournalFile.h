// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/JournalFormat.h"

namespace mv {
class Session;
}

namespace core {

// The journal file of one account: the record of every write and delete made to its
// items, which the history and undo of the window read. The window and kelvora-cmd both
// append to it through this class, so that they agree on where it is and how it is kept.
//
// A change is appended and flushed to the disk before it is made, so a crash cannot lose
// it, and followed by its outcome once the account answered. The file holds at most
// `capBytes`: when an append would pass that, the oldest changes go, the file rewritten
// whole and replaced at once. Several programs may share the file; each append takes a
// lock on it. The file's torn tail, if any, is cut once, before this object's first
// append; an append the disk took only in part is cut off again.
//
// Nothing here throws: an append that fails returns false or 0, and Problem() says why.
class JournalFile {
public:
    static constexpr std::int64_t kDefaultCapBytes = 8 * 1024 * 1024;

    // The journal of an account at its usual place (PathOf); for a local account, the
    // journal its users kept in their data folders before is read too.
    explicit JournalFile(std::string accountKey);
    JournalFile(std::string accountKey, std::string path, std::int64_t capBytes = kDefaultCapBytes);

    // The key naming an account's journal: "remote:<host>/<account>" for a server,
    // "local:<folder>" for the local engine, the folder with its links resolved (when
    // it exists) and made absolute, so every way of naming it finds the same journal.
    static std::string AccountKeyOf(const mv::Session& session);
    static std::string LocalAccountKey(const std::string& folder);

    // The user's data folder: $XDG_DATA_HOME when it is set to an absolute path, else
    // $HOME/.local/share.
    static std::string DataFolder();
    // The journal of an account under a data folder: <data>/kelvora/journal/<name>, the
    // name the key's last 48 bytes (all but letters, digits, '.' and '-' made '_'), a
    // '-', 16 hex digits of the key's SHA-256 and ".journal".
    static std::string PathUnder(const std::string& dataFolder, const std::string& accountKey);
    static std::string DefaultPathOf(const std::string& accountKey);
    // The journal a local account keeps for everyone who works on it:
    // <account>/.kelvora-journal/journal.
    static std::string AccountJournalPath(const std::string& accountFolder);
    // Where the journal of an account is: in the account for a local one, in the user's
    // data folder (DefaultPathOf) for one on a server.
    static std::string PathOf(const std::string& accountKey);

    // A journal read besides this one, older changes of the same account (one written
    // before the account kept its own). Its changes come first in ReadAll. An account
    // journal this user may not write is left for that one, which is then written.
    void AlsoRead(std::string olderPath) { olderPath_ = std::move(olderPath); }
    // Who the changes appended from now on name: by default the login name.
    void SetUser(std::string user) { user_ = std::move(user); }
    const std::string& User() const { return user_; }

    const std::string& AccountKey() const { return accountKey_; }
    const std::string& Path() const { return path_; }
    // Random for each object: the "run" of the changes it appends.
    std::uint64_t RunId() const { return runId_; }

    // Appends a change about to be made and returns its number in this run (from 1), or
    // 0 when the file did not take it.
    std::uint64_t Begin(ChangeOrigin origin, const std::string& file, const std::string& id,
                        const std::optional<std::string>& before,
                        const std::optional<std::string>& after);
    // The same with the versions where they lie (null: none), so a large one is not copied.
    std::uint64_t Begin(ChangeOrigin origin, const std::string& file, const std::string& id,
                        const std::string* before, const std::string* after);
    // A change of a batch, with its versions where they lie (null: none).
    struct BatchChange {
        const std::string* id = nullptr;
        const std::string* before = nullptr;
        const std::string* after = nullptr;
    };
    // Appends the changes of a batch about to be made, as Begin does each, in one write
    // and one flush to disk, before any of them reaches the account. Their numbers in
    // order, 0 for one the file did not take.
    std::vector<std::uint64_t> BeginBatch(ChangeOrigin origin, const std::string& file,
                                          const std::vector<BatchChange>& changes);
    // Appends the outcomes of a batch's changes (number and outcome) in one write and one
    // flush; nothing for number 0.
    bool FinishBatch(const std::vector<std::pair<std::uint64_t, ChangeOutcome>>& outcomes);
    // Reads the journal once and cuts off a change a crash left torn, as the first append
    // of a run would: called before a run takes record locks, so no item stays locked
    // while the journal is read. False when the file cannot be opened (Problem() says).
    bool PrepareForAppends();
    // Appends whether the change reached the account; may be called again for a change
    // whose outcome turned out otherwise. False when the file did not take it; nothing
    // is written for sequence 0.
    bool Finish(std::uint64_t sequence, ChangeOutcome outcome);
    // Appends that the changes numbered first to last of this run were made as one (each
    // is journaled on its own before). False when the file did not take it.
    bool AppendGroup(std::uint64_t first, std::uint64_t last, ChangeGroupKind kind,
                     const std::string& from, const std::string& to);

    // For a caller that keeps the changes of its run in memory: the next change of this
    // run (its run, number and time filled in), and its append, as Begin makes them.
    JournalEntry NextChange(ChangeOrigin origin, const std::string& file, const std::string& id,
                            const std::optional<std::string>& before,
                            const std::optional<std::string>& after);
    bool Append(const JournalEntry& change);

    // Every change the file holds, of every run, oldest first; none when it cannot be
    // read.
    std::vector<JournalEntry> ReadAll() const;

    // Why the file last could not be written, or empty.
    const std::string& Problem() const { return problem_; }

private:
    bool AppendFrame(const std::string& frame);
    bool AppendLocked(int fd, const std::string& frame);
    bool RewriteWith(int fd, const std::string& frame);
    bool EnsureFolder();
    // Moves to the older journal when the account's cannot be written here; false when
    // there is none to move to.
    bool FallBack();
    void Fail(const std::string& what);
    // The permissions of the journal's files: shared with the account's group, or the
    // user's alone.
    mode_t FileMode() const { return shared_ ? 0660 : 0600; }

    std::string accountKey_;
    std::string path_;
    std::string olderPath_;
    bool shared_ = false;  // the journal of the account, shared by everyone who works on it
    std::string user_;
    std::int64_t capBytes_;
    std::uint64_t runId_;
    std::uint64_t lastSequence_ = 0;
    bool tailChecked_ = false;
    std::string problem_;
};

}  // namespace core

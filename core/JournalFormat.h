// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Who made a change: the user's own edit (a save, a delete, a child table), an undo or
// redo of one, a version restored from the history, the program by itself (the
// "@EMPTY.NULL" descriptor of an open), or a copy of an item under a new name.
enum class ChangeOrigin : std::uint8_t {
    Edit = 0,
    Undo = 1,
    Redo = 2,
    Restore = 3,
    Automatic = 4,
    Copy = 5,
};

// Whether a journaled change reached the account. Unknown: the program ended (or lost the
// connection) between recording the change and hearing the answer.
enum class ChangeOutcome : std::uint8_t { Unknown = 0, Done = 1, Failed = 2 };

// One write or delete of a dictionary item. `before` is nullopt when the item did not
// exist, `after` nullopt for a delete. Ids and records are the engine's bytes.
struct JournalEntry {
    std::uint64_t session = 0;   // random for each run of the program
    std::uint64_t sequence = 0;  // counts the changes of one run, from 1
    std::int64_t msecsSinceEpoch = 0;
    ChangeOrigin origin = ChangeOrigin::Edit;
    std::string file;
    std::string id;
    std::optional<std::string> before;
    std::optional<std::string> after;
    ChangeOutcome outcome = ChangeOutcome::Unknown;
    // Who made it: the login name on the local engine, the user name on a server; empty
    // in journals written before changes named their user.
    std::string user;
};

// What a group of changes made as one was.
enum class ChangeGroupKind : std::uint8_t { Rename = 1 };

// Changes of one run made as one, numbered first to last in that run: one undo takes them
// all back. For a rename, `from` and `to` are the old and the new item id.
struct JournalGroup {
    std::uint64_t session = 0;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    ChangeGroupKind kind = ChangeGroupKind::Rename;
    std::string from;
    std::string to;

    bool Holds(const JournalEntry& entry) const {
        return entry.session == session && entry.sequence >= first && entry.sequence <= last;
    }
};

// The journal file is a sequence of frames, each self-checking, so that a frame damaged
// on disk or cut short (its length too, which may then run past the end of the file) is
// skipped and every good frame after it still read.
// The layout is described in docs/journal.md. A change with a user is written as a user
// frame followed by its change frame.
std::string EncodeChangeFrame(const JournalEntry& entry);
// The same with the item's versions given apart (null: none), so a large record is not
// copied into an entry first; entry's own before and after are not used.
std::string EncodeChangeFrame(const JournalEntry& entry, const std::string* before,
                              const std::string* after);
std::string EncodeOutcomeFrame(std::uint64_t session, std::uint64_t sequence,
                               ChangeOutcome outcome);
// Written once the changes of the group were made, after them.
std::string EncodeGroupFrame(const JournalGroup& group);

struct DecodedJournal {
    // Oldest first, each with the last outcome recorded for it.
    std::vector<JournalEntry> entries;
    // In the order written.
    std::vector<JournalGroup> groups;
    // The end of the last good frame: bytes after it are a torn or damaged tail, with no
    // good frame in them. Damage before it is kept where it is.
    std::size_t goodEnd = 0;
    // The bytes checksummed to read it: at most its size, however damaged, so reading
    // takes time in step with the size of the file.
    std::size_t checksummedBytes = 0;
};
DecodedJournal DecodeJournal(std::string_view bytes);

// True when what follows goodEnd is only the start of one frame a crash cut short, which
// the next append may cut off: it starts with a frame's mark, its header is not whole or
// its length runs past the end, and no good frame follows.
// Anything else there (a good frame after it, or bytes that are no frame of this layout)
// is kept: cutting it would lose changes, or bytes someone may want to look into.
bool IsTornTail(std::string_view bytes, std::size_t goodEnd);

}  // namespace core

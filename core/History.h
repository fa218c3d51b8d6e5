// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/JournalFormat.h"

namespace mv {
class Session;
}

namespace core {

// The command kelvora-server answers with the history of a file's items, or of one item:
// KELVORA.HISTORY FILE [ID].
inline constexpr std::string_view kHistoryVerb = "KELVORA.HISTORY";

// The history as lines, oldest first, after a header line; the fields are separated by a
// tab and each line ends with a line feed:
//   WHEN USER ORIGIN OUTCOME RUN NUMBER FILE ID BEFORE AFTER
// WHEN as 2026-12-09T10:42:05.123Z (UTC), ORIGIN edit, undo, redo, restore, automatic or
// copy, OUTCOME done, failed or unknown, RUN 16 hex digits, NUMBER decimal. USER, FILE,
// ID, BEFORE and AFTER are written as a dump writes an item's text (ItemText), its field
// marks as \xFE; an item that did not exist (BEFORE) or was deleted (AFTER) is \- .
inline constexpr std::string_view kHistoryHeader =
    "WHEN\tUSER\tORIGIN\tOUTCOME\tRUN\tNUMBER\tFILE\tID\tBEFORE\tAFTER";
std::string HistoryListing(const std::vector<JournalEntry>& entries);
// False when the text is no such listing, or a line of it is damaged.
bool ParseHistoryListing(std::string_view text, std::vector<JournalEntry>& entries);

// The changes of the file (and of the item, when id is not empty) among entries.
std::vector<JournalEntry> ChangesOf(std::vector<JournalEntry> entries, const std::string& file,
                                    const std::string& id = "");

// The history a server keeps of the file (and item), asked with KELVORA.HISTORY; nullopt
// when the server does not answer it (a server other than kelvora-server), or the answer
// is no history listing.
std::optional<std::vector<JournalEntry>> ServerHistory(const mv::Session& session,
                                                       const std::string& file,
                                                       const std::string& id = "");

// Everyone's changes of the file (and item) in the account, oldest first: the account's
// journal for a local account, the server's history on a server that keeps one; else the
// journal of this computer, and thisComputerOnly is set.
std::vector<JournalEntry> AccountHistory(const mv::Session& session, const std::string& file,
                                         const std::string& id, bool& thisComputerOnly);

}  // namespace core

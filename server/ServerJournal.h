// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/JournalFile.h"
#include "platform/mv/Backend.h"

namespace server {

// The journal of the account a session works on (the one the window and kelvora-cmd keep
// in the account folder): every write and delete of a dictionary item made through the
// session goes into it under the session's user name, from whatever client it came; and
// the history it answers KELVORA.HISTORY FILE [ID] with, of this account only.
class ServerJournal {
public:
    ServerJournal(const std::string& accountFolder, const std::string& user);

    // Before a write (after set) or delete (after null) of a dictionary item; before is
    // the item as the account holds it (nullopt: none). The change's number, 0 when the
    // journal did not take it.
    std::uint64_t Begin(const std::string& file, const std::string& id,
                        const std::optional<std::string>& before, const std::string* after);
    void Finish(std::uint64_t number, bool done);

    static bool IsHistoryCommand(const std::string& text);
    // The changes of the file, or of one item, in the documented lines (core/History.h);
    // a command without a file is refused with kUnknownCommand and a line saying how.
    mv::CommandResult History(const std::string& text) const;

private:
    // Opened at its first use: most sessions only read.
    core::JournalFile& File() const;

    std::string accountFolder_;
    std::string user_;
    mutable std::optional<core::JournalFile> file_;
};

}  // namespace server

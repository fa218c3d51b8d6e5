// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string_view>
#include <vector>

#include "platform/mv/LockHolder.h"
#include "platform/mv/UniqueFd.h"

namespace mv {

// The folder of a dictionary or data folder that says who holds its record locks. It
// starts with a dot, so no escaped item id names it.
inline constexpr const char* kLockNotesFolder = ".kelvora-holders";

// Who holds the locks of one folder: a note per locked item in kLockNotesFolder, named by
// the item's lock byte, written after the lock is taken and removed before it is released.
// A note only names a holder while the lock byte is held: that of a session that died is
// passed over. Notes are a courtesy: one that cannot be written leaves the lock as it is,
// and the holder unnamed.
class LockNotes {
public:
    // Writes the note of a lock this session just took; the inode of the note, 0 when
    // none could be written.
    ino_t Write(int dirFd, mode_t mode, std::string_view id, bool exclusive,
                const HolderIdentity& identity);
    // Removes the note, unless another session has written the item's note since.
    void Remove(std::string_view id, ino_t note);

    // The note of the item in the folder, whoever wrote it: false when there is none.
    static bool Read(int dirFd, std::string_view id, LockHolder& holder);
    // The notes of the folder whose lock is held now, file left empty.
    static std::vector<LockHolder> Live(int dirFd);

private:
    UniqueFd folder_;
};

}  // namespace mv

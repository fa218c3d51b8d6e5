// SPDX-License-Identifier: MIT
#pragma once

namespace grid {

// Where a grid stands with its one pending row. Kept by RowArrayModel alone; every
// action of the grid asks it before it acts, so a notification handler that opens a
// modal box cannot make the grid commit twice, edit another row or drop the row.
enum class EditPhase {
    Idle,        // no pending row
    Editing,     // the current row holds typed values that the row array has not
    Committing,  // the before-save notification is running for the pending row
    Deleting,    // the before-delete notification is running for a row
};

enum class CommitOutcome {
    NothingPending,  // no row was pending: nothing sent, nothing stored
    Stored,          // the row is now in the row array
    Reread,          // the handler made the grid re-read its rows: the typed row is gone
    Cancelled,       // the handler set the cancel flag: the row stays pending
    Busy,            // asked while a notification was running: refused
};

// Why a pending row is being committed: the user left it by moving in the grid (another
// row, Enter on the last cell), or a command of the program settles it (Save Row, Exit,
// Open, ...). A handler may treat the two differently: leaving a row from its id column
// can mean "copy it", a command never does.
enum class CommitCause {
    LeavingRow,
    Command,
};

enum class DeleteOutcome {
    NothingToDelete,  // no such row
    Removed,          // the row left the row array
    Reread,           // the handler re-read the rows: nothing removed
    Cancelled,        // the handler set the cancel flag: the row stays
    Busy,             // asked while a notification was running, or with a pending row
};

}  // namespace grid

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// How the user wants to be asked and told about changes. The defaults are the program's
// boxes: every save confirmed first and every successful write reported in a box. Kept
// in the user's config folder (options.ini beside the window's placement): they belong
// to the user, not to the program's folder that the settings file shares.
struct UserOptions {
    // Off: leaving a changed row saves it without the "Save?" question.
    bool confirmSaves = true;
    // On: a successful write is said in the status bar (and the journal), not in a box.
    bool reportInStatusBar = false;

    bool operator==(const UserOptions&) const = default;
};

QString UserOptionsFile();
// The options the file holds; a missing file, or a key it lacks, gives the default.
UserOptions LoadUserOptions();
// False when the file could not be written (its folder or the file is not writable).
bool SaveUserOptions(const UserOptions& options);

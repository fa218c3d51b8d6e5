// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace ui {
class Dialogs;
}

namespace app {

// Starts the program from the folder that holds the executable: loads the error names,
// runs the login, and returns the process exit code. A missing constants file is
// reported, naming its path, and ends the program before the login.
int RunProgram(const QString& programFolder);

// The same with the dialogs given, for tests.
int RunProgram(const QString& programFolder, ui::Dialogs& dialogs);

}  // namespace app

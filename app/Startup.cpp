// SPDX-License-Identifier: MIT
#include "app/Startup.h"

#include <QApplication>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/ui/QtDialogs.h"

namespace app {

int RunProgram(const QString& programFolder, ui::Dialogs& dialogs) {
    Variables vars(dialogs, programFolder);
    vars.options = LoadUserOptions();
    frmKelvora window(vars);
    if (!window.Form_Load()) {
        return window.ExitCode();
    }
    return QApplication::exec();
}

int RunProgram(const QString& programFolder) {
    ui::QtDialogs dialogs;
    return RunProgram(programFolder, dialogs);
}

}  // namespace app

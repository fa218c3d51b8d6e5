// SPDX-License-Identifier: MIT
#include "Startup.h"

#include <QApplication>

#include "QtDialogs.h"
#include "Variables.h"
#include "frmKelvora.h"

namespace app {

int RunProgram(const QString& programFolder, ui::Dialogs& dialogs) {
    Variables vars(dialogs, programFolder);
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

// SPDX-License-Identifier: MIT
#include "Startup.h"

#include <QDir>
#include <QFileInfo>

#include "Functions.h"
#include "QtDialogs.h"
#include "Variables.h"
#include "frmLogin.h"

namespace app {

namespace {

QString MissingConstantsMessage(const QString& path) {
    const QFileInfo info(path);
    const QString reason = info.exists() ? QStringLiteral("it cannot be read")
                                         : QStringLiteral("it does not exist");
    return QStringLiteral("Kelvora cannot start: the constants file\n%1\nthat names the "
                          "server's error codes cannot be opened (%2).\n\nReinstall Kelvora "
                          "or put Uvoaif.txt back beside the program.")
        .arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace

int RunProgram(const QString& programFolder, ui::Dialogs& dialogs) {
    Variables vars(dialogs, programFolder);
    if (!Load_ErrorTable(vars)) {
        dialogs.MsgBox(MissingConstantsMessage(ErrorTablePath(vars)), ui::Buttons::OK,
                       ui::Icon::Critical, ui::kProgramTitle);
        return 1;
    }
    frmLogin login(vars);
    dialogs.ShowModal(login);
    if (vars.session) {
        vars.session->Disconnect();
    }
    return 0;
}

int RunProgram(const QString& programFolder) {
    ui::QtDialogs dialogs;
    return RunProgram(programFolder, dialogs);
}

}  // namespace app

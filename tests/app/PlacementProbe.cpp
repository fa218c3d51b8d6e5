// SPDX-License-Identifier: MIT
// Places the main window as a start of the program does, on whatever screen the platform
// gives (the tests start it on a virtual screen of a chosen size and scale factor), and
// prints where it went. With "move X Y W H TAB" it then moves the window there, shows that
// tab and closes it, as a user ending a run does; "max" after them maximises it first.
#include <cstdio>

#include <QApplication>
#include <QScreen>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/ui/TabControl.h"
#include "tests/support/ScriptedDialogs.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ScriptedDialogs dialogs;
    Variables vars(dialogs, QApplication::applicationDirPath());
    frmKelvora window(vars);
    window.PlaceWindow();
    window.show();
    QApplication::processEvents();

    const QRect available = window.screen()->availableGeometry();
    const QRect geometry = window.geometry();
    std::printf("available %d %d %d %d\n", available.x(), available.y(), available.width(),
                available.height());
    std::printf("geometry %d %d %d %d\n", geometry.x(), geometry.y(), geometry.width(),
                geometry.height());
    std::printf("minimum %d %d\n", window.minimumWidth(), window.minimumHeight());
    std::printf("controls %d %d\n", window.ControlsMinimumSize().width(),
                window.ControlsMinimumSize().height());
    std::printf("tab %d\n", window.Tabs()->Tab());
    std::printf("ratio %.2f\n", window.devicePixelRatioF());
    std::printf("maximized %d\n", window.isMaximized() ? 1 : 0);

    if (argc >= 7 && QString::fromLatin1(argv[1]) == QStringLiteral("move")) {
        window.setGeometry(
            QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt(),
            QString::fromLatin1(argv[4]).toInt(), QString::fromLatin1(argv[5]).toInt());
        window.Tabs()->SetTab(QString::fromLatin1(argv[6]).toInt());
        window.setWindowState(argc == 8 ? Qt::WindowMaximized : Qt::WindowNoState);
        window.close();
    }
    std::fflush(stdout);
    return 0;
}

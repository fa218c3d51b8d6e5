// SPDX-License-Identifier: MIT
#include <QApplication>

#include "app/Startup.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    return app::RunProgram(QApplication::applicationDirPath());
}

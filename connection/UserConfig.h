// SPDX-License-Identifier: MIT
#pragma once

#include <QStandardPaths>
#include <QString>

// A file of the user's own in Kelvora's folder of the user's config folder
// ($XDG_CONFIG_HOME/kelvora, else ~/.config/kelvora): what belongs to the user and not
// to the program's folder (the window's placement, recent files, options).
inline QString UserConfigFile(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kelvora/") + name;
}

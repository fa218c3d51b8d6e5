// SPDX-License-Identifier: MIT
#include "app/RecentFiles.h"

#include <QSettings>
#include <QUrl>

#include "connection/UserConfig.h"

namespace app {
namespace {

QString RecentFilesFile() {
    return UserConfigFile(QStringLiteral("recent.ini"));
}

// An account path holds slashes, which the settings would take for groups.
QString KeyOf(const QString& account) {
    return QStringLiteral("recent/") + QString::fromLatin1(QUrl::toPercentEncoding(account));
}

}  // namespace

QStringList RecentFiles(const QString& account) {
    const QSettings settings(RecentFilesFile(), QSettings::IniFormat);
    QStringList files = settings.value(KeyOf(account)).toStringList();
    files.removeAll(QString());
    return files.mid(0, kRecentFileCount);
}

void AddRecentFile(const QString& account, const QString& file) {
    QStringList files = RecentFiles(account);
    files.removeAll(file);
    files.prepend(file);
    QSettings settings(RecentFilesFile(), QSettings::IniFormat);
    settings.setValue(KeyOf(account), files.mid(0, kRecentFileCount));
}

}  // namespace app

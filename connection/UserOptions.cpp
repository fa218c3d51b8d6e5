// SPDX-License-Identifier: MIT
#include "connection/UserOptions.h"

#include <QSettings>

#include "connection/UserConfig.h"

namespace {

const QString kConfirmSaves = QStringLiteral("options/confirmSaves");
const QString kReportInStatusBar = QStringLiteral("options/reportInStatusBar");

}  // namespace

QString UserOptionsFile() {
    return UserConfigFile(QStringLiteral("options.ini"));
}

UserOptions LoadUserOptions() {
    const QSettings settings(UserOptionsFile(), QSettings::IniFormat);
    UserOptions options;
    options.confirmSaves = settings.value(kConfirmSaves, options.confirmSaves).toBool();
    options.reportInStatusBar =
        settings.value(kReportInStatusBar, options.reportInStatusBar).toBool();
    return options;
}

bool SaveUserOptions(const UserOptions& options) {
    QSettings settings(UserOptionsFile(), QSettings::IniFormat);
    settings.setValue(kConfirmSaves, options.confirmSaves);
    settings.setValue(kReportInStatusBar, options.reportInStatusBar);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// SPDX-License-Identifier: MIT
#include "connection/SettingsFile.h"

#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "connection/UserConfig.h"
#include "platform/ui/PrivateProfile.h"

namespace {

const QString kSection = QStringLiteral("login");

// Values are read as into a fixed buffer of this size with its terminating NUL, so a
// longer value comes back cut to kMaxLength characters.
constexpr int kBufferSize = SettingsFile::kMaxLength + 1;

// Beside the program while its folder is writable (a build folder, a copy of one's own);
// an installed copy in a folder of root's keeps each user's file in their config folder.
QString SettingsPath(const QString& programFolder) {
    // Only a folder that exists and refuses this user moves the file; any other trouble
    // shows when the file beside the program is written.
    if (::access(QFile::encodeName(programFolder).constData(), W_OK) == 0 ||
        (errno != EACCES && errno != EROFS)) {
        return programFolder + QStringLiteral("/Kelvora.ini");
    }
    return UserConfigFile(QStringLiteral("Kelvora.ini"));
}

}  // namespace

std::optional<SettingsFile::Refusal> SettingsFile::RefusalOf(const QString& value) {
    if (value.size() > kMaxLength) {
        return Refusal::TooLong;
    }
    if (!ui::PrivateProfile::IsWritableValue(value)) {
        return Refusal::NotStorable;
    }
    return std::nullopt;
}

SettingsFile::SettingsFile(const QString& programFolder)
    : path_(SettingsPath(programFolder)),
      inConfigFolder_(path_ != programFolder + QStringLiteral("/Kelvora.ini")) {}

QString SettingsFile::Read(const QString& key) const {
    return ui::PrivateProfile::GetString(kSection, key, QString(), kBufferSize, path_);
}

bool SettingsFile::Write(const QString& key, const QString& value) const {
    // A value longer than a read's buffer would come back cut, so it is not written.
    if (RefusalOf(value)) {
        return false;
    }
    // The config folder of a user who never saved before does not exist yet; the
    // program's own folder is never made.
    const QString folder = QFileInfo(path_).absolutePath();
    if (inConfigFolder_ && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        return false;
    }
    return ui::PrivateProfile::WriteString(kSection, key, value, path_);
}

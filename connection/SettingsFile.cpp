// SPDX-License-Identifier: MIT
#include "connection/SettingsFile.h"

#include "platform/ui/PrivateProfile.h"

namespace {

const QString kSection = QStringLiteral("login");

// Values are read as into a fixed buffer of this size with its terminating NUL, so a
// longer value comes back cut to 127 characters.
constexpr int kBufferSize = 128;

}  // namespace

SettingsFile::SettingsFile(const QString& programFolder)
    : path_(programFolder + QStringLiteral("/Kelvora.ini")) {}

QString SettingsFile::Read(const QString& key) const {
    return ui::PrivateProfile::GetString(kSection, key, QString(), kBufferSize, path_);
}

bool SettingsFile::Write(const QString& key, const QString& value) const {
    return ui::PrivateProfile::WriteString(kSection, key, value, path_);
}

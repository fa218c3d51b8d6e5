// SPDX-License-Identifier: MIT
#include "connection/SettingsFile.h"

#include "platform/ui/PrivateProfile.h"

namespace {

const QString kSection = QStringLiteral("login");

// Values are read as into a fixed buffer of this size with its terminating NUL, so a
// longer value comes back cut to kMaxLength characters.
constexpr int kBufferSize = SettingsFile::kMaxLength + 1;

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
    : path_(programFolder + QStringLiteral("/Kelvora.ini")) {}

QString SettingsFile::Read(const QString& key) const {
    return ui::PrivateProfile::GetString(kSection, key, QString(), kBufferSize, path_);
}

bool SettingsFile::Write(const QString& key, const QString& value) const {
    // A value longer than a read's buffer would come back cut, so it is not written.
    if (RefusalOf(value)) {
        return false;
    }
    return ui::PrivateProfile::WriteString(kSection, key, value, path_);
}

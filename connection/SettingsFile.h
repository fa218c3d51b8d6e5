// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The default connection values, kept in the section "login" of Kelvora.ini beside the
// program. The file is opened anew for every key; nothing is cached.
class SettingsFile {
public:
    inline static const QString kAccount = QStringLiteral("account");
    inline static const QString kIpAddress = QStringLiteral("ipaddress");
    inline static const QString kUser = QStringLiteral("user");
    inline static const QString kPassword = QStringLiteral("password");
    inline static const QString kDatabaseType = QStringLiteral("DatabaseType");

    explicit SettingsFile(const QString& programFolder);

    const QString& path() const { return path_; }

    // The stored value, at most 127 characters; empty when the file or key is missing.
    QString Read(const QString& key) const;
    // False when the file could not be written.
    bool Write(const QString& key, const QString& value) const;

private:
    QString path_;
};

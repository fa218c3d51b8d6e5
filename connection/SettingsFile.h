// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

// The default connection values, kept in the section "login" of Kelvora.ini: beside the
// program while its folder is writable, else (an installed copy) in the user's config
// folder, kelvora/Kelvora.ini. The file is opened anew for every key; nothing is cached.
class SettingsFile {
public:
    inline static const QString kAccount = QStringLiteral("account");
    inline static const QString kIpAddress = QStringLiteral("ipaddress");
    inline static const QString kUser = QStringLiteral("user");
    inline static const QString kPassword = QStringLiteral("password");
    inline static const QString kDatabaseType = QStringLiteral("DatabaseType");
    // TLS to a server (yes or no; absent = no), and a file of CA certificates (PEM) to
    // check its certificate against instead of the system's.
    inline static const QString kSecure = QStringLiteral("Secure");
    inline static const QString kCAFile = QStringLiteral("CAFile");
    // Time limits of a server session in seconds: connecting, and each call.
    inline static const QString kConnectTimeout = QStringLiteral("ConnectTimeout");
    inline static const QString kCallTimeout = QStringLiteral("CallTimeout");
    // Reads of a dictionary's items a server session sends ahead (1 = none).
    inline static const QString kReadAhead = QStringLiteral("ReadAhead");
    // Whether the row of an existing item takes the item's lock as the user starts to
    // change it (yes or no; absent = yes).
    inline static const QString kLockWhileEditing = QStringLiteral("LockWhileEditing");

    // The longest value a read gives back whole.
    static constexpr int kMaxLength = 127;

    // Why a value cannot be kept so that it reads back as it was written.
    enum class Refusal {
        TooLong,      // more than kMaxLength characters
        NotStorable,  // a line break or a character outside Latin-1
    };
    static std::optional<Refusal> RefusalOf(const QString& value);

    explicit SettingsFile(const QString& programFolder);

    const QString& path() const { return path_; }

    // The stored value, at most kMaxLength characters; empty when the file or key is
    // missing.
    QString Read(const QString& key) const;
    // False, with nothing written, when the value is refused (RefusalOf) or the file
    // could not be written.
    bool Write(const QString& key, const QString& value) const;

private:
    QString path_;
    bool inConfigFolder_ = false;  // the user's config folder, not the program's
};

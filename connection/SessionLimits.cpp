// SPDX-License-Identifier: MIT
#include "connection/SessionLimits.h"

#include "connection/SettingsFile.h"
#include "platform/mv/Session.h"

SessionLimits SessionLimits::FromSettings(const QString& programFolder) {
    const SettingsFile settings(programFolder);
    SessionLimits limits;
    limits.connect = Parse(settings.Read(SettingsFile::kConnectTimeout), kDefaultConnect);
    limits.call = Parse(settings.Read(SettingsFile::kCallTimeout), kDefaultCall);
    return limits;
}

std::chrono::seconds SessionLimits::Parse(const QString& value, std::chrono::seconds fallback) {
    bool ok = false;
    const qlonglong seconds = value.trimmed().toLongLong(&ok);
    // A limit of 0 would fail every call at once; a limit of years is a typing slip.
    if (!ok || seconds < 1 || seconds > kLongest.count()) {
        return fallback;
    }
    return std::chrono::seconds(seconds);
}

void SessionLimits::ApplyTo(mv::Session& session) const {
    session.SetRemoteLimits(connect, call);
}

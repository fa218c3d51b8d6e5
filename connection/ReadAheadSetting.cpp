// SPDX-License-Identifier: MIT
#include "connection/ReadAheadSetting.h"

#include "connection/SettingsFile.h"
#include "platform/mv/RemoteBackend.h"

int ReadAheadSetting::FromSettings(const QString& programFolder) {
    return Parse(SettingsFile(programFolder).Read(SettingsFile::kReadAhead));
}

int ReadAheadSetting::Parse(const QString& value) {
    bool ok = false;
    const int window = value.trimmed().toInt(&ok);
    if (!ok || window < 1 || window > kLargest) {
        return mv::RemoteLogin::kDefaultReadAhead;
    }
    return window;
}

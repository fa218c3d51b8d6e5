// SPDX-License-Identifier: MIT
#include "connection/TlsSettings.h"

#include "connection/PlainPasswordWarning.h"
#include "connection/SettingsFile.h"
#include "connection/TextBridge.h"
#include "platform/mv/Session.h"

void ApplyTlsSettings(const QString& programFolder, mv::Session& session) {
    session.SetSecure(SecureFromSettings(programFolder));
    session.SetCaFile(TextBridge::ToBytes(SettingsFile(programFolder).Read(SettingsFile::kCAFile)));
}

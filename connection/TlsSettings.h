// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace mv {
class Session;
}

// Sets a session's TLS from the settings file before it connects: Secure (yes or no,
// absent = no) and CAFile, the certificates to trust instead of the system's. Every
// connect of the program goes through this, a login or a reconnect alike, so a session
// never drops to plain TCP when it is made again.
void ApplyTlsSettings(const QString& programFolder, mv::Session& session);

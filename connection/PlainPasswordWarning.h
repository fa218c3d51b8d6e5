// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <QString>

struct Variables;

// Whether a host ("host", "host:port", "[v6]:port") is this computer: localhost, an
// address of 127.0.0.0/8, ::1 or ::ffff:127.x.x.x. A name other than localhost is not
// looked up, so it counts as another computer.
bool IsLoopbackHost(const std::string& host);

// Whether a login to host sends the password where others on the network could read it:
// to a server (not the local engine), on another computer, without TLS.
bool SendsPasswordInClear(const std::string& host, bool secure);

// Whether the settings file asks for TLS (Secure = yes, true, on or 1, in any case).
bool SecureFromSettings(const QString& programFolder);

// Before a login that SendsPasswordInClear, warns once a run that the password travels
// almost in clear; the login goes on after the box.
void WarnOfPasswordInClear(Variables& vars, const std::string& host, bool secure);

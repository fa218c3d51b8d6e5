// SPDX-License-Identifier: MIT
#include "connection/PlainPasswordWarning.h"

#include <arpa/inet.h>

#include <array>
#include <cstdint>

#include "connection/SettingsFile.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "platform/mv/HostAddress.h"

namespace {

// Any port will do: only the host part is looked at.
constexpr std::uint16_t kAnyPort = 1;

bool IsLoopbackV6(const std::array<unsigned char, 16>& bytes) {
    static constexpr std::array<unsigned char, 16> kLoopback{0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 0, 1};
    if (bytes == kLoopback) {
        return true;
    }
    // An IPv4 address mapped into IPv6 (::ffff:127.0.0.1) is as local as the address.
    for (int i = 0; i < 10; ++i) {
        if (bytes[static_cast<std::size_t>(i)] != 0) {
            return false;
        }
    }
    return bytes[10] == 0xff && bytes[11] == 0xff && bytes[12] == 127;
}

}  // namespace

bool IsLoopbackHost(const std::string& host) {
    const std::optional<mv::HostAddress> address = mv::ParseHostAddress(host, kAnyPort);
    if (!address) {
        return false;
    }
    const QString name = TextBridge::ToText(address->host);
    if (name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    std::array<unsigned char, 4> v4{};
    if (inet_pton(AF_INET, address->host.c_str(), v4.data()) == 1) {
        return v4[0] == 127;
    }
    std::array<unsigned char, 16> v6{};
    return inet_pton(AF_INET6, address->host.c_str(), v6.data()) == 1 && IsLoopbackV6(v6);
}

bool SendsPasswordInClear(const std::string& host, bool secure) {
    return !secure && !host.empty() && !IsLoopbackHost(host);
}

bool SecureFromSettings(const QString& programFolder) {
    const QString value =
        SettingsFile(programFolder).Read(QStringLiteral("Secure")).trimmed().toLower();
    return value == QLatin1String("yes") || value == QLatin1String("true") ||
           value == QLatin1String("on") || value == QLatin1String("1");
}

void WarnOfPasswordInClear(Variables& vars, const std::string& host, bool secure) {
    if (vars.plainPasswordWarned || !SendsPasswordInClear(host, secure)) {
        return;
    }
    vars.plainPasswordWarned = true;
    vars.dialogs.MsgBox(
        QStringLiteral("The connection to %1 is not encrypted: your password travels almost "
                       "in clear, and anyone on the network between here and the server can "
                       "read it and your data.\n"
                       "Use the server on a trusted network only, or set Secure=yes in "
                       "Kelvora.ini to connect with TLS.")
            .arg(TextBridge::ToText(host)),
        ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
}

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

#include <QString>

namespace mv {
class Session;
}

// The time limits of a server session, from the settings file: ConnectTimeout and
// CallTimeout in whole seconds. A key that is absent, not a whole number, below 1 or
// over a day keeps the default of the session (10 s to connect, 60 s a call).
struct SessionLimits {
    static constexpr std::chrono::seconds kDefaultConnect{10};
    static constexpr std::chrono::seconds kDefaultCall{60};
    static constexpr std::chrono::seconds kLongest{86400};

    std::chrono::seconds connect = kDefaultConnect;
    std::chrono::seconds call = kDefaultCall;

    static SessionLimits FromSettings(const QString& programFolder);
    // The seconds a settings value gives, or `fallback` when it gives none.
    static std::chrono::seconds Parse(const QString& value, std::chrono::seconds fallback);

    void ApplyTo(mv::Session& session) const;
};

// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "platform/mv/LocalEngine.h"
#include "platform/mv/wire/WireChannel.h"
#include "server/Authenticator.h"
#include "server/LoginThrottle.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"
#include "server/StopSignal.h"

namespace server {

// One client connection from its first byte to its end: the service request, the login,
// then the calls, each answered by a session engine of its own.
class ConnectionSession {
public:
    ConnectionSession(const ServerConfig& config, const Authenticator& authenticator,
                      LoginThrottle& throttle, const ServerLog& log, const StopSignal& stop)
        : config_(config),
          authenticator_(authenticator),
          throttle_(throttle),
          log_(log),
          stop_(stop) {}

    // Serves the connection until the client leaves, breaks the rules, idles too long or
    // the server stops.
    void Run(mv::wire::WireChannel& channel);
    // Answers a connection the server has no room for with 81016 (what the client
    // reports when nobody listens) and closes it.
    void RefuseBusy(mv::wire::WireChannel& channel);

private:
    bool AcceptService(mv::wire::WireChannel& channel);
    // The engine of the account logged in to, or null when the login failed.
    std::shared_ptr<mv::LocalEngine> LogIn(mv::wire::WireChannel& channel);
    void ServeCalls(mv::wire::WireChannel& channel, std::shared_ptr<mv::LocalEngine> engine);
    // Logs why a receive failed.
    void LogReceiveFailure(mv::wire::WireChannel& channel, mv::wire::WireChannel::Outcome outcome);
    void Log(const std::string& text) const { log_.Line(peer_ + " " + text); }

    const ServerConfig& config_;
    const Authenticator& authenticator_;
    LoginThrottle& throttle_;
    const ServerLog& log_;
    const StopSignal& stop_;
    std::string peer_;
};

}  // namespace server

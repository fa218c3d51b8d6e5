// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/mv/LocalEngine.h"
#include "platform/mv/wire/WireChannel.h"
#include "server/Authenticator.h"
#include "server/DescriptorBudget.h"
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
                      LoginThrottle& throttle, OpenFileBudget& openFiles, const ServerLog& log,
                      const StopSignal& stop)
        : config_(config),
          authenticator_(authenticator),
          throttle_(throttle),
          openFiles_(openFiles),
          log_(log),
          stop_(stop) {}

    // Serves the connection until the client leaves, breaks the rules, idles too long or
    // the server stops. claimSlot is asked once the login succeeded, and false refuses it
    // with 81016: the server serves as many sessions as it may.
    void Run(mv::wire::WireChannel& channel, const std::function<bool()>& claimSlot);
    // Answers a connection the server has no room for with 81016 (what the client
    // reports when nobody listens) and closes it; why goes into the log.
    void RefuseBusy(mv::wire::WireChannel& channel, const std::string& why);

private:
    bool AcceptService(mv::wire::WireChannel& channel);
    // The engine of the account logged in to, or null when the login failed.
    std::shared_ptr<mv::LocalEngine> LogIn(mv::wire::WireChannel& channel,
                                           const std::function<bool()>& claimSlot);
    // What is left of the time a connection has to log in.
    std::chrono::milliseconds LoginTimeLeft() const;
    void ServeCalls(mv::wire::WireChannel& channel, std::shared_ptr<mv::LocalEngine> engine);
    // Logs why a receive failed.
    void LogReceiveFailure(mv::wire::WireChannel& channel, mv::wire::WireChannel::Outcome outcome);
    void Log(const std::string& text) const { log_.Line(peer_ + " " + text); }

    const ServerConfig& config_;
    const Authenticator& authenticator_;
    LoginThrottle& throttle_;
    OpenFileBudget& openFiles_;
    const ServerLog& log_;
    const StopSignal& stop_;
    std::string peer_;
    std::chrono::steady_clock::time_point loginEnd_;
};

}  // namespace server

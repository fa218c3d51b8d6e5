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
#include "server/LoginTurns.h"
#include "server/RequestMemory.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"
#include "server/StopSignal.h"

namespace server {

// What the listener learns from, and asks of, one connection.
struct ConnectionHooks {
    // When the connection was accepted: its time to log in counts from then, also while
    // it waited for its turn to be served.
    std::chrono::steady_clock::time_point acceptedAt = std::chrono::steady_clock::now();
    // A well-formed login has come: the connection no longer waits silent.
    std::function<void()> loginReceived = [] {};
    // Asked once the login succeeded; false refuses it with 81016: the server serves as
    // many sessions as it may.
    std::function<bool()> claimSlot = [] { return true; };
    // True when the listener closed the connection to make room; it counts such closes
    // itself, so the connection writes no line of its own.
    std::function<bool()> madeRoom = [] { return false; };
    // The user number of a session that logged in, which names it in the lock listing
    // and as RECORDLOCKED's status; 0 gives none.
    std::function<long()> userNumber = [] { return 0L; };
    // The connection ended before a login, for the reason given: the listener counts it.
    std::function<void(const std::string& reason)> endedBeforeLogin = [](const std::string&) {};
};

// One client connection from its first byte to its end: the service request, the login,
// then the calls, each answered by a session engine of its own.
class ConnectionSession {
public:
    ConnectionSession(const ServerConfig& config, const Authenticator& authenticator,
                      LoginThrottle& throttle, LoginTurns& loginTurns, OpenFileBudget& openFiles,
                      RequestMemory& requestMemory, const ServerLog& log, const StopSignal& stop)
        : config_(config),
          authenticator_(authenticator),
          throttle_(throttle),
          loginTurns_(loginTurns),
          openFiles_(openFiles),
          requestMemory_(requestMemory),
          log_(log),
          stop_(stop) {}

    // Serves the connection until the client leaves, breaks the rules, idles too long or
    // the server stops.
    void Run(mv::wire::WireChannel& channel, const ConnectionHooks& hooks);

private:
    bool AcceptService(mv::wire::WireChannel& channel);
    // The engine of the account logged in to, or null when the login failed; user is the
    // name logged in with.
    std::shared_ptr<mv::LocalEngine> LogIn(mv::wire::WireChannel& channel, std::string& user);
    // What is left of the time a connection has to log in.
    std::chrono::milliseconds LoginTimeLeft() const;
    void ServeCalls(mv::wire::WireChannel& channel, std::shared_ptr<mv::LocalEngine> engine,
                    const std::string& user);
    // Logs why a receive failed.
    void LogReceiveFailure(mv::wire::WireChannel& channel, mv::wire::WireChannel::Outcome outcome);
    void Log(const std::string& text) const { log_.Line(peer_ + " " + text); }

    const ServerConfig& config_;
    const Authenticator& authenticator_;
    LoginThrottle& throttle_;
    LoginTurns& loginTurns_;
    OpenFileBudget& openFiles_;
    RequestMemory& requestMemory_;
    const ServerLog& log_;
    const StopSignal& stop_;
    const ConnectionHooks* hooks_ = nullptr;
    std::string peer_;
    std::string accountFolder_;  // of the account logged in to
    bool loggedIn_ = false;
    std::chrono::steady_clock::time_point loginEnd_;
};

}  // namespace server

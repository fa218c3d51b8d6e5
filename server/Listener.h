// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/mv/UniqueFd.h"
#include "server/Authenticator.h"
#include "server/DescriptorBudget.h"
#include "server/LoginThrottle.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"
#include "server/StopSignal.h"

namespace server {

// Accepts connections on one address and serves each on a thread of its own, up to the
// configured number at once. Stop (or the destructor) ends every session and joins every
// thread.
class Listener {
public:
    // Binds, listens and starts accepting; null, with the reason, when it cannot listen.
    static std::unique_ptr<Listener> Start(ServerConfig config, std::shared_ptr<ServerLog> log,
                                           std::string& why);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // The address actually listened on, with the port chosen when 0 was asked for.
    std::string Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    // Sessions running now, logged in or on their way, without the connections being
    // refused.
    std::size_t SessionCount() const;
    // The most logged-in sessions served at once: as configured, or fewer when the
    // process may not open enough files for that many.
    std::size_t MaxSessions() const { return config_.maxSessions; }

    void Stop();

private:
    struct Running {
        std::thread thread;
        // A second descriptor of the session's socket: shutting it down ends a receive
        // that waits on the session's thread without touching that thread's objects.
        mv::UniqueFd interrupt;
        std::atomic<bool> finished{false};
        bool refusal = false;   // a connection answered "no room" and closed
        bool loggedIn = false;  // under sessionsMutex_
        std::string client;     // the group its address counts in
    };

    Listener(ServerConfig config, std::shared_ptr<ServerLog> log);
    void AcceptLoop();
    void Serve(int socket);
    // Why a connection from client must be refused now, or "" when it is served;
    // sessionsMutex_ is held.
    std::string RefusalFor(const std::string& client) const;
    // Makes a session that logged in one of the logged-in sessions; false when as many
    // as allowed run already.
    bool ClaimSessionSlot(Running& session);
    // Logs the first of a run of failed accepts, and the end of the run.
    void NoteAcceptFailure(bool failed);
    // Joins the threads of sessions that ended; all of them when waitForAll.
    void Reap(bool waitForAll);

    ServerConfig config_;
    std::shared_ptr<ServerLog> log_;
    Authenticator authenticator_;
    LoginThrottle throttle_;
    std::unique_ptr<OpenFileBudget> openFiles_;
    bool acceptFailing_ = false;  // the accept thread's own
    StopSignal stop_;
    mv::UniqueFd listenSocket_;
    mv::UniqueFd wakeRead_;
    mv::UniqueFd wakeWrite_;
    std::string address_;
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    mutable std::mutex sessionsMutex_;
    std::list<std::unique_ptr<Running>> sessions_;
    std::once_flag stopped_;
};

}  // namespace server

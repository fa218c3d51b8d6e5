// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/mv/UniqueFd.h"
#include "server/Authenticator.h"
#include "server/ClosingConnections.h"
#include "server/DescriptorBudget.h"
#include "server/LoginThrottle.h"
#include "server/LoginTurns.h"
#include "server/RefusalTally.h"
#include "server/RequestMemory.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"
#include "server/StopSignal.h"

namespace server {

// Accepts connections on one address and serves each on a thread of its own.
//
// Connections that have not logged in wait apart from the logged-in sessions, in a
// waiting room as large as the descriptors allow. A client (an address, an IPv6 /64) has
// a few of them served at a time; its further ones wait, unread, for their turn, which
// comes each time one of its served connections sends its login or goes. When the room is
// full, the connection that has waited longest without sending its login is closed to
// make room for the newcomer. Refused connections are answered 81016 and closed without a
// reset. Connections that end before a login are logged as counts, not a line each.
//
// Stop (or the destructor) ends every session and joins every thread.
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
    // Connections being served or waiting for their turn, logged in or on their way.
    std::size_t SessionCount() const;
    // The most logged-in sessions served at once: as configured, or fewer when the
    // process may not open enough files for that many.
    std::size_t MaxSessions() const { return config_.maxSessions; }
    // The most connections that may wait to log in at once, likewise.
    std::size_t MaxWaiting() const { return config_.maxWaitingLogins; }

    void Stop();

private:
    using Clock = std::chrono::steady_clock;

    struct Running {
        std::thread thread;
        // A second descriptor of the session's socket: shutting it down ends a receive
        // that waits on the session's thread without touching that thread's objects.
        mv::UniqueFd interrupt;
        // The socket of a connection waiting for its turn, before its thread starts.
        mv::UniqueFd waitingSocket;
        std::atomic<bool> finished{false};
        // It sent a well-formed login: it no longer waits silent, and cannot be closed to
        // make room.
        std::atomic<bool> loginReceived{false};
        std::atomic<bool> madeRoom{false};  // closed to make room for a newer one
        bool loggedIn = false;              // under sessionsMutex_
        std::string client;                 // the group its address counts in
        Clock::time_point acceptedAt;
    };

    Listener(ServerConfig config, std::shared_ptr<ServerLog> log);
    void AcceptLoop();
    // Takes a new connection into the waiting room, for its turn or to be served now, or
    // refuses it.
    void Admit(int socket);
    // Starts the turns that have come, refuses the connections whose time to log in
    // passed while they waited for one, reaps ended sessions and tends the refused
    // connections; returns when it must run again at the latest. Accepting thread only.
    std::optional<Clock::time_point> Tend();
    // Connections from client served now that have not sent their login; sessionsMutex_
    // is held.
    std::size_t ServedSilentFrom(const std::string& client) const;
    // Closes the connection that has waited longest without its login; false when no
    // connection waits so. sessionsMutex_ is held.
    bool MakeRoom(Clock::time_point now);
    // Starts serving a connection on its own thread; false when no thread could be had.
    // sessionsMutex_ is held.
    bool StartServing(Running& running, mv::UniqueFd socket);
    // Answers 81016, closes cleanly and counts the refusal. Accepting thread only.
    void Refuse(mv::UniqueFd socket, const std::string& client, const std::string& why,
                Clock::time_point now);
    // Makes a session that logged in one of the logged-in sessions; false when as many
    // as allowed run already.
    bool ClaimSessionSlot(Running& session);
    // Wakes the accepting thread to look at the waiting room again.
    void Wake() const;
    // Logs the first of a run of failed accepts, and the end of the run.
    void NoteAcceptFailure(bool failed);
    // Joins the threads of sessions that ended; all of them when waitForAll.
    void Reap(bool waitForAll);

    ServerConfig config_;
    std::shared_ptr<ServerLog> log_;
    Authenticator authenticator_;
    LoginThrottle throttle_;
    LoginTurns loginTurns_;
    std::unique_ptr<OpenFileBudget> openFiles_;
    RequestMemory requestMemory_;
    bool acceptFailing_ = false;  // the accept thread's own
    ClosingConnections closing_;  // the accept thread's own
    RefusalTally refusals_;       // the accept thread's own
    StopSignal stop_;
    mv::UniqueFd listenSocket_;
    mv::UniqueFd wakeRead_;
    mv::UniqueFd wakeWrite_;
    std::string address_;
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    mutable std::mutex sessionsMutex_;
    std::list<std::unique_ptr<Running>> sessions_;  // in the order they were accepted
    std::once_flag stopped_;
    std::atomic<long> lastUserNumber_{0};  // each session that logs in takes the next
};

}  // namespace server

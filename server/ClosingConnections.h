// SPDX-License-Identifier: MIT
#pragma once

#include <poll.h>

#include <chrono>
#include <deque>
#include <optional>
#include <vector>

#include "platform/mv/UniqueFd.h"

namespace server {

// Connections the server refuses: each is answered 81016 (no room) at once and closed
// without a reset. Closing a socket with bytes of the client unread makes the system reset
// the connection, which can throw away the answer before the client reads it; so the
// server stops sending, then reads and drops what the client still sends until the client
// closes or a short time has passed. Used by the accepting thread alone, with no thread of
// its own.
class ClosingConnections {
public:
    using Clock = std::chrono::steady_clock;
    // Connections being closed at once; beyond it the oldest is closed at once, after
    // reading what it sent.
    static constexpr std::size_t kAtOnce = 64;
    // How long a client is given to read the answer and close.
    static constexpr Clock::duration kDrainTime = std::chrono::seconds(2);

    ClosingConnections();
    ~ClosingConnections() { CloseAll(); }
    ClosingConnections(const ClosingConnections&) = delete;
    ClosingConnections& operator=(const ClosingConnections&) = delete;

    void Refuse(mv::UniqueFd socket, Clock::time_point now);
    // Adds the sockets to watch for the client's bytes or its close.
    void Watch(std::vector<pollfd>& watched) const;
    // Reads what came, and closes the connections whose client closed or whose time is up.
    void Tend(Clock::time_point now);
    std::optional<Clock::time_point> NextDeadline() const;
    void CloseAll();

private:
    struct Closing {
        mv::UniqueFd socket;
        Clock::time_point end;
    };

    std::string answer_;  // the encoded 81016
    std::deque<Closing> closing_;
};

}  // namespace server

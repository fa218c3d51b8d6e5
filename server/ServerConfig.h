// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/mv/wire/TlsCredentials.h"

#include "server/ListenAddress.h"
#include "server/UsersFile.h"

namespace server {

// Everything a running server needs to know. The command line sets the first group;
// the limits below keep their defaults there and are set by tests.
struct ServerConfig {
    std::filesystem::path root;  // canonical
    ListenAddress listen;
    std::optional<UserTable> users;  // none: any user name and password are accepted
    std::chrono::milliseconds idleTimeout = std::chrono::hours(1);
    // A session that holds record locks and sends nothing this long is ended, so a client
    // gone silent cannot keep others from the items it locked for the whole idle time.
    std::chrono::milliseconds lockIdleTimeout = std::chrono::minutes(10);
    // The certificate offered to clients that ask for TLS; none: TLS is not offered.
    std::shared_ptr<const mv::wire::TlsCredentials> tls;
    // Refuse clients that do not ask for TLS.
    bool requireTls = false;
    std::size_t maxSessions = 64;
    // Failed logins allowed from one address in each window; further logins from it are
    // refused without looking at the password until the oldest failure leaves the window.
    std::size_t maxLoginFailures = 10;
    std::chrono::milliseconds loginFailureWindow = std::chrono::minutes(1);

    // How long a new connection may take, in all, to ask for a service and log in.
    std::chrono::milliseconds loginTimeout = std::chrono::seconds(10);
    // Connections that have not logged in yet wait apart from the sessions, whose slots
    // they never take: at most this many at once (fewer when the descriptors do not allow
    // as many). When the room is full, the one that has waited longest without sending its
    // login is closed to make room.
    std::size_t maxWaitingLogins = 1024;
    // Connections of one client (an IPv4 address, an IPv6 /64) served at once before they
    // have sent their login; its further ones wait unread for their turn, within the
    // login time.
    std::size_t maxWaitingLoginsPerClient = 4;
    // The pause before a failed login is answered, which slows down guessing.
    std::chrono::milliseconds failedLoginDelay = std::chrono::seconds(1);
    std::chrono::milliseconds sendLimit = std::chrono::seconds(60);
    std::size_t maxBody = std::size_t{64} << 20;
    // The bytes of requests all logged-in sessions may hold at once; a request whose bytes
    // are not free waits for them.
    std::size_t maxRequestBytes = std::size_t{256} << 20;
    // The largest message before a login has succeeded: the service request and the
    // login are small, and a stranger's declared size costs nothing then.
    std::size_t maxBodyBeforeLogin = std::size_t{16} << 10;
    // Each open file holds a descriptor; this keeps one session from taking them all.
    std::size_t maxOpenFilesPerSession = 128;
    // How long a lock request that asks to wait waits for another session's lock before
    // it is answered 30002. Only the waiting session waits.
    std::chrono::milliseconds lockWaitLimit = std::chrono::seconds(10);
};

}  // namespace server

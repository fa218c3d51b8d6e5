// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>

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

    // How long a new connection may take to ask for a service and log in.
    std::chrono::milliseconds loginTimeout = std::chrono::seconds(30);
    // The pause before a failed login is answered, which slows down guessing.
    std::chrono::milliseconds failedLoginDelay = std::chrono::seconds(1);
    std::chrono::milliseconds sendLimit = std::chrono::seconds(60);
    std::size_t maxSessions = 256;
    std::size_t maxBody = std::size_t{64} << 20;
    // Each open file holds a descriptor; this keeps one session from taking them all.
    std::size_t maxOpenFilesPerSession = 128;
};

}  // namespace server

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "server/ListenAddress.h"

namespace server {

struct ServeOptions {
    std::string root;
    ListenAddress listen;
    std::optional<std::string> usersFile;
    bool noAuth = false;
    std::chrono::seconds idleTimeout = std::chrono::hours(1);
    std::chrono::seconds lockIdleTimeout = std::chrono::minutes(10);
    std::chrono::seconds loginTimeout = std::chrono::seconds(10);
    std::optional<std::string> certificateFile;  // with keyFile: TLS is offered
    std::optional<std::string> keyFile;
    bool requireTls = false;
    std::size_t maxSessions = 64;
    std::size_t maxLoginFailures = 10;
};

struct PasswdOptions {
    std::string usersFile;
    std::string user;
};

struct CommandLine {
    enum class Action { Serve, Passwd, Help };
    Action action = Action::Serve;
    ServeOptions serve;
    PasswdOptions passwd;
};

// Parses the words after the program's name. False, with a one-line reason, for a usage
// error: an unknown or incomplete option, a bad value, or serving without --users other
// than with --no-auth on a loopback address.
bool ParseCommandLine(const std::vector<std::string>& words, CommandLine& command,
                      std::string& why);

std::string UsageText();

}  // namespace server

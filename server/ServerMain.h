// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace server {

// How the running server learns that it should stop. beforeThreads runs before the first
// thread starts (so signals can be blocked for every thread); waitForStop returns when the
// server should stop.
struct StopHooks {
    std::function<void()> beforeThreads;
    std::function<void()> waitForStop;
};

// The whole program after its name: serves until told to stop, runs passwd, or prints
// help. Returns the exit status: 0 success, 1 failure to start or to change a password,
// 2 usage error.
int RunServerCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                     const StopHooks& hooks);

}  // namespace server

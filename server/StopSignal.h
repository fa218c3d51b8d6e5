// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace server {

// A flag that tells every thread of the server to stop, with waits that end early when it
// is raised, so that no pause keeps the server from shutting down.
class StopSignal {
public:
    void Request();
    bool IsRequested() const;
    // Waits for the time given or until a stop is requested; true when one was.
    bool WaitFor(std::chrono::milliseconds time) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool requested_ = false;
};

}  // namespace server

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// Counts failed logins per client address over a sliding window of time, so that a
// guesser gets at most a fixed number of tries a window however many connections it
// opens. Each attempt is charged before its password is checked and refunded when it
// succeeds: logins that run at the same time cannot slip past the count together.
class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;

    LoginThrottle(std::size_t maxFailures, Clock::duration window)
        : maxFailures_(maxFailures), window_(window) {}

    // False when address has used up its failures in the window ending at now; else the
    // attempt is counted as a failure until Refund.
    bool Charge(const std::string& address, Clock::time_point now);
    // The attempt charged at `charged` succeeded: it no longer counts.
    void Refund(const std::string& address, Clock::time_point charged);

private:
    void Forget(std::deque<Clock::time_point>& failures, Clock::time_point now) const;

    // Beyond this many addresses the ones without recent failures are dropped first.
    static constexpr std::size_t kAddressesKept = 1 << 16;

    const std::size_t maxFailures_;
    const Clock::duration window_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::deque<Clock::time_point>> failures_;
};

}  // namespace server

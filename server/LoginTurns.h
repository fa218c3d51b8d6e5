// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// How many logins of one client are checked at once; the client's further logins wait
// their turn. A login counts as a failure of its client until its password is found
// right, so a crowd behind one address (an office behind NAT) would otherwise look like a
// guesser and be refused; and the password checks of one client cannot take all the
// server's memory for them.
class LoginTurns {
public:
    using Clock = std::chrono::steady_clock;

    explicit LoginTurns(std::size_t perClient) : perClient_(perClient) {}
    LoginTurns(const LoginTurns&) = delete;
    LoginTurns& operator=(const LoginTurns&) = delete;

    // One login's turn, given back when it goes.
    class Turn {
    public:
        Turn(LoginTurns& turns, std::string client) : turns_(turns), client_(std::move(client)) {}
        ~Turn();
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

        // Waits for the turn until end; false when it did not come, or the server stops.
        bool WaitUntil(Clock::time_point end);

    private:
        LoginTurns& turns_;
        const std::string client_;
        bool taken_ = false;
    };

    // Ends every wait and refuses every later one: the server stops.
    void Close();

private:
    const std::size_t perClient_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::unordered_map<std::string, std::size_t> checking_;
    bool closed_ = false;
};

}  // namespace server

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace server {

// Counts the connections that end before they log in, refused or closed by the server or
// by the client, by client group and by reason, and words them as one log line at most
// every ten seconds: a flood of connections costs the log a line, not a line each. Any
// thread may count; one thread takes the lines.
class RefusalTally {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kEvery = std::chrono::seconds(10);

    void Count(const std::string& client, const std::string& reason);
    // The line of what was counted since the last one, when there is any and the last one
    // is kEvery old (or there was none yet); the counts start again after it.
    std::optional<std::string> LineDue(Clock::time_point now);
    // When LineDue will next give a line; nullopt when nothing waits to be said.
    std::optional<Clock::time_point> NextLineAt() const;
    // The line of what is left, whatever the time: the server stops.
    std::optional<std::string> LastLine();

private:
    std::optional<Clock::time_point> NextLineAtLocked() const;
    std::optional<std::string> TakeLineLocked();

    mutable std::mutex mutex_;
    std::map<std::string, std::size_t> byClient_;
    std::map<std::string, std::size_t> byReason_;
    std::size_t total_ = 0;
    std::optional<Clock::time_point> lastLine_;
};

}  // namespace server

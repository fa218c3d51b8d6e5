// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace server {

// The bytes of requests that all logged-in sessions may hold at once. A session asks for
// a request's bytes once its header has declared them, before any is read, and gives them
// back when it has answered; when the bytes are not free it waits for them, so that many
// large requests at once take longer instead of taking the server's memory.
class RequestMemory {
public:
    using Clock = std::chrono::steady_clock;

    explicit RequestMemory(std::size_t bytes) : free_(bytes) {}
    RequestMemory(const RequestMemory&) = delete;
    RequestMemory& operator=(const RequestMemory&) = delete;

    // Waits until bytes are free, or until nothing else is held for a request larger
    // than the whole; false when they are not by end, or the server stops.
    bool Take(std::size_t bytes, Clock::time_point end);
    void GiveBack(std::size_t bytes);
    // Ends every wait and refuses every later one: the server stops.
    void Close();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t free_;
    std::size_t held_ = 0;
    std::size_t overdrawn_ = 0;  // taken past the whole by one request alone
    bool closed_ = false;
};

}  // namespace server

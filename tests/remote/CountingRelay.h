// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace testbackend {

// A TCP relay on 127.0.0.1 in front of a server's port that holds every byte for a short
// delay each way and counts the round trips a client starts, from outside the client:
// the first bytes it sends, and bytes it sends after the relay handed it an answer to
// the round trip before, start one each. Requests the client sends without waiting
// between them stay in one round trip, as on a slow link, thanks to the delay; requests
// whose answers the client never waits for (a last CLOSE) count all the same. A
// connection still open when it goes is closed.
class CountingRelay {
public:
    CountingRelay(std::uint16_t targetPort,
                  std::chrono::milliseconds eachWay = std::chrono::milliseconds(5));
    ~CountingRelay();
    CountingRelay(const CountingRelay&) = delete;
    CountingRelay& operator=(const CountingRelay&) = delete;

    std::string Host() const;
    // The round trips of every connection so far, added up; with whenClosed, once every
    // client has closed its connection, so its last bytes count.
    long long RoundTrips(bool whenClosed = false) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace testbackend

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace bench {

// A TCP relay on 127.0.0.1 that hands every byte on to a target port a fixed delay after
// it arrived, in both directions, in order: the stand-in for a slow link where the
// kernel cannot delay packets itself (no netem). It adds latency only, not a limit on
// bandwidth. Lives until destroyed; every connection through it must be closed first.
class DelayRelay {
public:
    DelayRelay(std::uint16_t targetPort, std::chrono::milliseconds eachWay);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    std::string Host() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace bench

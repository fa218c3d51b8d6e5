// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace server {

// The server's log: whole lines from any thread, never interleaved. By default they go
// to standard error after the program's name; tests hand in a sink of their own.
class ServerLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    ServerLog();
    explicit ServerLog(Sink sink);

    void Line(const std::string& text) const;

private:
    Sink sink_;
    mutable std::mutex mutex_;
};

// Text from a client made safe for one log line: control bytes and backslashes are
// written as \xHH, so a name cannot forge or break lines.
std::string Printable(std::string_view text);

}  // namespace server

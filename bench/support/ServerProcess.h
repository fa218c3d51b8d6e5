// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/Listener.h"

namespace bench {

// The kelvora-server a remote benchmark talks to: the program beside the benchmark,
// started as a process of its own so that its memory is its alone, on 127.0.0.1 and a
// free port. When it cannot be started, a server runs inside this process with the
// configuration given, and the memory figures are this process's, clients included.
class ServerProcess {
public:
    // words: options after --root and --listen; config: the in-process fallback's.
    ServerProcess(const std::filesystem::path& root, std::vector<std::string> words,
                  server::ServerConfig config);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool ok() const { return !host_.empty(); }
    // "127.0.0.1:PORT".
    const std::string& Host() const { return host_; }
    std::uint16_t Port() const;
    bool IsOwnProcess() const { return pid_ > 0; }
    // Peak (VmHWM) and present (VmRSS) resident memory in kB of the server's process, or of
    // this one; -1 when unknown.
    long PeakKilobytes() const { return StatusKilobytes("VmHWM:"); }
    long ResidentKilobytes() const { return StatusKilobytes("VmRSS:"); }
    // The bytes the server has logged so far (its standard error); -1 in this process.
    long LogBytes() const;

private:
    bool StartProcess(const std::filesystem::path& root, std::vector<std::string> words);
    long StatusKilobytes(const std::string& key) const;

    pid_t pid_ = 0;
    std::filesystem::path logPath_;
    std::unique_ptr<server::Listener> inProcess_;
    std::string host_;
};

}  // namespace bench

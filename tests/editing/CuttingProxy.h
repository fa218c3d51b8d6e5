// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mv/UniqueFd.h"

// A loopback TCP proxy in front of a server port that passes bytes both ways until it is
// armed; then the first chunk from a client that holds the marker (any chunk, for an
// empty marker), after `skip` such chunks passed, ends that connection in the armed way.
// Fires once, then passes again.
class CuttingProxy {
public:
    enum class Cut {
        BeforeServer,  // the chunk never reaches the server; the client sees the close
        AfterReply,    // the chunk reaches the server, whose reply is dropped before the close
        Silent,        // nothing more passes either way, and the connection stays open
    };

    explicit CuttingProxy(std::uint16_t serverPort);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    std::uint16_t Port() const { return port_; }
    void Arm(Cut cut, std::string marker = {}, int skip = 0);
    bool Fired() const { return fired_; }

private:
    void AcceptLoop();
    void Pump(int client);
    // What an armed proxy does with a chunk of a client; true when the connection ends.
    bool CutsOn(const std::string& chunk, int client, int server);

    std::uint16_t serverPort_;
    std::uint16_t port_ = 0;
    mv::UniqueFd listen_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::mutex mutex_;
    bool armed_ = false;
    Cut cut_ = Cut::BeforeServer;
    std::string marker_;
    int skip_ = 0;
    std::thread acceptThread_;
    std::vector<std::thread> pumps_;
};

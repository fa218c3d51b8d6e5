// SPDX-License-Identifier: MIT
#include "tests/editing/CuttingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;

constexpr int kPollMs = 50;

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool SendAll(int socket, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Reads what arrives on socket within `wait`, ending early once it has been quiet for a
// short while after the first bytes: the whole of one reply on a loopback socket.
void DrainReply(int socket, std::chrono::milliseconds wait) {
    std::array<char, 65536> buffer{};
    bool any = false;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
        pollfd entry{socket, POLLIN, 0};
        if (::poll(&entry, 1, any ? 200 : kPollMs) <= 0) {
            if (any) {
                return;
            }
            continue;
        }
        if (::recv(socket, buffer.data(), buffer.size(), 0) <= 0) {
            return;
        }
        any = true;
    }
}

}  // namespace

CuttingProxy::CuttingProxy(std::uint16_t serverPort) : serverPort_(serverPort) {
    listen_ = mv::UniqueFd(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (!listen_.Valid() ||
        ::bind(listen_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_.Get(), 16) != 0 ||
        ::getsockname(listen_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the proxy cannot listen");
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

CuttingProxy::~CuttingProxy() {
    stop_ = true;
    acceptThread_.join();
    for (std::thread& pump : pumps_) {
        pump.join();
    }
}

void CuttingProxy::Arm(Cut cut, std::string marker, int skip) {
    const std::lock_guard lock(mutex_);
    armed_ = true;
    cut_ = cut;
    marker_ = std::move(marker);
    skip_ = skip;
}

void CuttingProxy::AcceptLoop() {
    while (!stop_) {
        pollfd entry{listen_.Get(), POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) {
            continue;
        }
        const int client = ::accept(listen_.Get(), nullptr, nullptr);
        if (client >= 0) {
            pumps_.emplace_back([this, client] { Pump(client); });
        }
    }
}

void CuttingProxy::Pump(int clientFd) {
    const mv::UniqueFd client(clientFd);
    const mv::UniqueFd server(::socket(AF_INET, SOCK_STREAM, 0));
    const sockaddr_in address = Loopback(serverPort_);
    if (!server.Valid() ||
        ::connect(server.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return;
    }
    std::array<char, 65536> buffer{};
    while (!stop_) {
        std::array<pollfd, 2> entries{{{client.Get(), POLLIN, 0}, {server.Get(), POLLIN, 0}}};
        if (::poll(entries.data(), entries.size(), kPollMs) <= 0) {
            continue;
        }
        if (entries[0].revents != 0) {
            const ssize_t got = ::recv(client.Get(), buffer.data(), buffer.size(), 0);
            if (got <= 0) {
                return;
            }
            const std::string chunk(buffer.data(), static_cast<std::size_t>(got));
            if (CutsOn(chunk, client.Get(), server.Get())) {
                return;
            }
            if (!SendAll(server.Get(), chunk.data(), chunk.size())) {
                return;
            }
        }
        if (entries[1].revents != 0) {
            const ssize_t got = ::recv(server.Get(), buffer.data(), buffer.size(), 0);
            if (got <= 0 || !SendAll(client.Get(), buffer.data(), static_cast<std::size_t>(got))) {
                return;
            }
        }
    }
}

bool CuttingProxy::CutsOn(const std::string& chunk, int client, int server) {
    Cut cut{};
    {
        const std::lock_guard lock(mutex_);
        if (!armed_ || chunk.find(marker_) == std::string::npos) {
            return false;
        }
        if (skip_ > 0) {
            --skip_;
            return false;
        }
        armed_ = false;
        cut = cut_;
    }
    fired_ = true;
    switch (cut) {
        case Cut::BeforeServer:
            break;
        case Cut::AfterReply:
            SendAll(server, chunk.data(), chunk.size());
            DrainReply(server, 2000ms);
            break;
        case Cut::Silent:
            // The client waits for a reply that never comes, until its own time limit.
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            }
            break;
    }
    ::shutdown(client, SHUT_RDWR);
    return true;
}

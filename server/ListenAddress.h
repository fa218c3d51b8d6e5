// SPDX-License-Identifier: MIT
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>

namespace server {

// Where the server listens: a numeric IPv4 or IPv6 address (or "localhost") and a port,
// 0 for any free one.
struct ListenAddress {
    sockaddr_storage socketAddress{};
    socklen_t length = 0;

    int Family() const { return socketAddress.ss_family; }
    bool IsLoopback() const;
    void SetPort(std::uint16_t port);
};

// Parses "ADDR:PORT", "[IPV6]:PORT", or an address alone with defaultPort. False, with the
// reason, for anything else.
bool ParseListenAddress(const std::string& text, std::uint16_t defaultPort, ListenAddress& address,
                        std::string& why);

// "127.0.0.1:40123" or "[::1]:40123".
std::string FormatSocketAddress(const sockaddr_storage& address);

}  // namespace server

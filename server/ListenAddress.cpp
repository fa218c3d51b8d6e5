// SPDX-License-Identifier: MIT
#include "server/ListenAddress.h"

#include <arpa/inet.h>

#include <charconv>
#include <cstring>

namespace server {

namespace {

bool ParsePort(const std::string& text, std::uint16_t& port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool SetHost(const std::string& host, bool bracketed, ListenAddress& address) {
    address = ListenAddress{};
    const std::string numeric = (!bracketed && host == "localhost") ? "127.0.0.1" : host;
    if (!bracketed) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address.socketAddress);
        if (::inet_pton(AF_INET, numeric.c_str(), &v4->sin_addr) == 1) {
            v4->sin_family = AF_INET;
            address.length = sizeof(sockaddr_in);
            return true;
        }
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.socketAddress);
    if (::inet_pton(AF_INET6, numeric.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        address.length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

}  // namespace

bool ListenAddress::IsLoopback() const {
    if (Family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&socketAddress);
        return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
    }
    if (Family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&socketAddress);
        return IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr);
    }
    return false;
}

void ListenAddress::SetPort(std::uint16_t port) {
    if (Family() == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&socketAddress)->sin_port = htons(port);
    } else if (Family() == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&socketAddress)->sin6_port = htons(port);
    }
}

bool ParseListenAddress(const std::string& text, std::uint16_t defaultPort, ListenAddress& address,
                        std::string& why) {
    std::string host = text;
    std::string portText;
    bool bracketed = false;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos) {
            why = "missing ']' in listen address \"" + text + "\"";
            return false;
        }
        host = text.substr(1, close - 1);
        bracketed = true;
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                why = "unexpected text after ']' in listen address \"" + text + "\"";
                return false;
            }
            portText = rest.substr(1);
            hasPort = true;
        }
    } else if (const auto colon = text.rfind(':');
               colon != std::string::npos && text.find(':') == colon) {
        // One colon separates the port; more than one is an IPv6 address without one.
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        hasPort = true;
    }
    std::uint16_t port = defaultPort;
    if (hasPort && !ParsePort(portText, port)) {
        why = "bad port in listen address \"" + text + "\" (expected 0 to 65535)";
        return false;
    }
    if (!SetHost(host, bracketed, address)) {
        why = "listen address \"" + host + "\" is not a numeric IPv4 or IPv6 address";
        return false;
    }
    address.SetPort(port);
    return true;
}

std::string FormatSocketAddress(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(v6->sin6_port));
    }
    return "(unknown address)";
}

}  // namespace server

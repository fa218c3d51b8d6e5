// SPDX-License-Identifier: MIT
#include "server/ClientGroup.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace server {

namespace {

std::string V4Text(const void* address) {
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, address, text, sizeof text) ? text : "";
}

std::string GroupOfV6(in6_addr address) {
    if (IN6_IS_ADDR_V4MAPPED(&address)) {
        return V4Text(&address.s6_addr[12]);
    }
    std::memset(&address.s6_addr[8], 0, 8);
    char text[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET6, &address, text, sizeof text)) {
        return "";
    }
    return std::string(text) + "/64";
}

}  // namespace

std::string ClientGroupOf(const std::string& host) {
    in6_addr v6{};
    if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        return GroupOfV6(v6);
    }
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return V4Text(&v4);
    }
    return host;
}

std::string PeerGroupOf(int socket) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return "";
    }
    if (peer.ss_family == AF_INET) {
        return V4Text(&reinterpret_cast<const sockaddr_in*>(&peer)->sin_addr);
    }
    if (peer.ss_family == AF_INET6) {
        return GroupOfV6(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr);
    }
    return "";
}

}  // namespace server

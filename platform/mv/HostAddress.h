// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mv {

struct HostAddress {
    std::string host;
    std::uint16_t port = 0;
};

// "host", "host:port", "[v6-address]" or "[v6-address]:port"; a bare IPv6 address (two
// colons or more) is a host without port. nullopt for an empty host or a port that is not
// a number from 1 to 65535.
std::optional<HostAddress> ParseHostAddress(const std::string& text, std::uint16_t defaultPort);

}  // namespace mv

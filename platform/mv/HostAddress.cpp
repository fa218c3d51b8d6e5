// SPDX-License-Identifier: MIT
#include "platform/mv/HostAddress.h"

#include <algorithm>

namespace mv {

namespace {

std::optional<std::uint16_t> PortOf(const std::string& digits) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const unsigned long port = std::stoul(digits);
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

}  // namespace

std::optional<HostAddress> ParseHostAddress(const std::string& text, std::uint16_t defaultPort) {
    HostAddress address{text, defaultPort};
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close == 1) {
            return std::nullopt;
        }
        address.host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            const auto port = PortOf(rest.substr(1));
            if (!port) {
                return std::nullopt;
            }
            address.port = *port;
        }
        return address;
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        address.host = text.substr(0, colon);
        const auto port = PortOf(text.substr(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
    }
    if (address.host.empty()) {
        return std::nullopt;
    }
    return address;
}

}  // namespace mv

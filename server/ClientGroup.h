// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace server {

// The name under which the server counts a client's connections waiting to log in and its
// failed logins. An IPv4 client is its address. An IPv6 client is its /64 network
// ("2001:db8:1:2::/64"): one host is routinely given a whole /64 and may take any address
// in it, so counting single addresses would give it billions of allowances. An IPv4
// address written in IPv6 form counts as the IPv4 address. Text that is no address is
// its own group.
std::string ClientGroupOf(const std::string& host);

// The group of the peer of a connected socket ("" when it cannot be learned).
std::string PeerGroupOf(int socket);

}  // namespace server

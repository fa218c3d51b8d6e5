// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "platform/mv/wire/WireMessage.h"

namespace server {

// The first message of a connection: the service asked for, and whether over TLS.
struct ServiceRequest {
    std::string service;
    bool wantsTls = false;
};

// False when the message is not a service request.
bool ParseServiceRequest(const mv::wire::Message& message, ServiceRequest& request);

// The second message: who logs in, where to, and from what client.
struct LoginRequest {
    std::int32_t commsVersion = 0;
    std::int32_t clientVersion = 0;
    std::string user;
    std::string password;  // as typed: the XOR with the comms version undone
    std::string account;
    std::uint32_t clientAddress = 0;
    std::string clientKind;
    std::string clientHost;
};

// False when the message does not have the login's eleven arguments.
bool ParseLoginRequest(const mv::wire::Message& message, LoginRequest& request);

}  // namespace server

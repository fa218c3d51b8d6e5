// SPDX-License-Identifier: MIT
#include "server/LoginRequest.h"

#include "platform/mv/wire/WireCalls.h"
#include "server/RequestShape.h"

namespace server {

bool ParseServiceRequest(const mv::wire::Message& message, ServiceRequest& request) {
    if (!HasShape(message, "s") && !HasShape(message, "si")) {
        return false;
    }
    request.service = message.args[0].bytes;
    request.wantsTls = message.args.size() == 2 && message.args[1].integer != 0;
    return true;
}

bool ParseLoginRequest(const mv::wire::Message& message, LoginRequest& request) {
    static_assert(mv::wire::kLoginArguments == 11);
    if (!HasShape(message, "iissssiisss")) {
        return false;
    }
    const auto& args = message.args;
    request.commsVersion = args[0].integer;
    request.clientVersion = args[1].integer;
    request.user = args[2].bytes;
    // The client hides the password by XOR'ing each byte with the comms version it sent.
    request.password = args[3].bytes;
    for (char& c : request.password) {
        c = static_cast<char>(c ^ request.commsVersion);
    }
    request.account = args[4].bytes;
    request.clientAddress = static_cast<std::uint32_t>(args[7].integer);
    request.clientKind = args[8].bytes;
    request.clientHost = args[9].bytes;
    return true;
}

}  // namespace server

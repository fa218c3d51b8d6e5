// SPDX-License-Identifier: MIT
#pragma once

// What the remote backend's files share: the code of a channel's outcome, and building
// requests and reading the arguments of replies.
#include <cstddef>
#include <initializer_list>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/wire/WireChannel.h"
#include "platform/mv/wire/WireMessage.h"

namespace mv::remote {

inline int CodeOf(wire::WireChannel::Outcome outcome) {
    switch (outcome) {
        case wire::WireChannel::Outcome::Ok:
            return kOk;
        case wire::WireChannel::Outcome::TimedOut:
            return kTimeout;
        case wire::WireChannel::Outcome::Malformed:
            return kBadServerMessage;
        case wire::WireChannel::Outcome::Refused:
            return kConnectionRefused;
        case wire::WireChannel::Outcome::HostUnknown:
            return kHostNotFound;
        case wire::WireChannel::Outcome::TlsFailed:
            return kTlsUntrusted;
        case wire::WireChannel::Outcome::TlsWrongHost:
            return kTlsWrongHost;
        case wire::WireChannel::Outcome::TlsExpired:
            return kTlsCertificateExpired;
        case wire::WireChannel::Outcome::TlsNotYetValid:
            return kTlsCertificateNotYetValid;
        case wire::WireChannel::Outcome::Closed:
        case wire::WireChannel::Outcome::Failed:
            break;
    }
    return kConnectionLost;
}

inline wire::Message Request(std::initializer_list<wire::Arg> args) {
    wire::Message message;
    message.args = args;
    return message;
}

inline bool IsInteger(const wire::Message& message, std::size_t index) {
    return message.args.size() > index && message.args[index].IsInteger();
}

inline bool IsString(const wire::Message& message, std::size_t index) {
    return message.args.size() > index && message.args[index].IsString();
}

}  // namespace mv::remote

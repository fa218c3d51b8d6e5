// SPDX-License-Identifier: MIT
// The client protocol's messages as they arrive from a socket. Beyond not crashing or
// reading past the bytes received:
// - a header is refused for a body longer than the bytes at hand or the protocol allows;
// - a decoded message has the announced number of arguments, never more than allowed;
// - encoding a decoded message and decoding it again gives the same message (doubles
//   compared bit for bit, so NaN payloads count too), and encoding is stable. A message
//   without arguments is left out: it encodes to an empty body, which the protocol's
//   header rule refuses, and nothing in the program sends one;
// - the body encryption undoes itself.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/WireDecode.h"
#include "platform/mv/wire/WireMessage.h"

namespace {

using mv::wire::Arg;
using mv::wire::Message;

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameArg(const Arg& a, const Arg& b) {
    if (a.type != b.type || a.integer != b.integer || !SameBits(a.real, b.real) ||
        a.bytes != b.bytes || a.integers != b.integers || a.reals.size() != b.reals.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.reals.size(); ++i) {
        if (!SameBits(a.reals[i], b.reals[i])) {
            return false;
        }
    }
    return true;
}

bool SameMessage(const Message& a, const Message& b) {
    if (a.returnCode != b.returnCode || a.args.size() != b.args.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.args.size(); ++i) {
        if (!SameArg(a.args[i], b.args[i])) {
            return false;
        }
    }
    return true;
}

std::string AsText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    if (size >= mv::wire::kHeaderSize) {
        mv::wire::Header header;
        std::string why;
        const std::size_t available = size - mv::wire::kHeaderSize;
        if (mv::wire::ParseHeader(data, available, header, why)) {
            Require(header.bodyLength >= 1 && header.bodyLength <= available &&
                        header.bodyLength <= mv::wire::kMaxBodyLength &&
                        header.argumentCount <= mv::wire::kMaxArguments,
                    "an accepted header announces a body and arguments within bounds",
                    AsText(data, mv::wire::kHeaderSize));
        } else {
            Require(!why.empty(), "a refused header says why", AsText(data, mv::wire::kHeaderSize));
        }
    }

    const std::optional<Message> message = fuzz::DecodeMessage(data, size);
    if (message) {
        Require(message->args.size() == (std::size_t{data[20]} << 8 | data[21]),
                "a message has the arguments its header announces", AsText(data, size));
    }
    if (message && !message->args.empty()) {
        const std::string encoded = mv::wire::Encode(*message);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(encoded.data());
        const std::optional<Message> again = fuzz::DecodeMessage(bytes, encoded.size());
        Require(again.has_value(), "an encoded message decodes", encoded);
        Require(SameMessage(*message, *again), "decode(encode(message)) == message", encoded);
        Require(mv::wire::Encode(*again) == encoded, "encoding is stable", encoded);
    }

    std::string body = AsText(data, size);
    for (const std::uint8_t highVersion : {std::uint8_t{1}, std::uint8_t{2}}) {
        mv::wire::ToggleEncryption(body, highVersion);
        mv::wire::ToggleEncryption(body, highVersion);
        Require(body == AsText(data, size), "the body encryption undoes itself", body);
    }
    return 0;
}

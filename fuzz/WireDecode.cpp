// SPDX-License-Identifier: MIT
#include "fuzz/WireDecode.h"

#include <string>

namespace fuzz {

std::optional<mv::wire::Message> DecodeMessage(const std::uint8_t* data, std::size_t size) {
    if (size < mv::wire::kHeaderSize) {
        return std::nullopt;
    }
    mv::wire::Header header;
    std::string why;
    const std::size_t available = size - mv::wire::kHeaderSize;
    if (!mv::wire::ParseHeader(data, available, header, why)) {
        return std::nullopt;
    }
    std::string body(reinterpret_cast<const char*>(data) + mv::wire::kHeaderSize,
                     header.bodyLength);
    mv::wire::Message message;
    if (!mv::wire::ParseBody(header, std::move(body), message, why)) {
        return std::nullopt;
    }
    return message;
}

}  // namespace fuzz

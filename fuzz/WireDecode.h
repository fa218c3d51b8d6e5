// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/mv/wire/WireMessage.h"

namespace fuzz {

// The message that bytes hold as received from a socket: a header, then the body it
// announces. Nullopt when either is refused or the bytes end early.
std::optional<mv::wire::Message> DecodeMessage(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

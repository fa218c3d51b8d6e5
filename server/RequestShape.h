// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "platform/mv/wire/WireMessage.h"

namespace server {

// Whether the arguments of a message have exactly the kinds given, one letter each:
// 'i' an integer, 's' a string (text or bytes). HasShape(m, "iis") holds for a message of
// two integers and a string.
bool HasShape(const mv::wire::Message& message, std::string_view shape);

}  // namespace server

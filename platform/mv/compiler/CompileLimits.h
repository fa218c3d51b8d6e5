// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "platform/mv/ItemIdEscaping.h"

namespace mv {

// The longest item id the engine can store: escaping never shortens an id, so an id
// longer than the longest file name can never be an item. Longer names are never looked
// up, which keeps the cost of reading hyphenated names in step with the expression's
// length.
inline constexpr std::size_t kMaxItemIdBytes = kMaxFileNameBytes;

// The longest expression the compiler accepts. Real descriptors stay far below it; the
// bound keeps the compiler's memory in proportion to something sane.
inline constexpr std::size_t kMaxExpressionBytes = 1024 * 1024;

}  // namespace mv

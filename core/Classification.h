// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "core/ViewKind.h"

// Which view an item of a dictionary belongs to, on the bytes of its field 1: the rule the
// program's grids and kelvora-cmd's check share.
namespace core {

// The X descriptor that tells the server how to treat empty values.
inline constexpr std::string_view kEmptyNullId = "@EMPTY.NULL";

// Field 1 up to its first blank; empty when field 1 is empty or starts with a blank.
std::string_view TypeCodeOf(std::string_view field1);

struct Placement {
    std::optional<ViewKind> view;  // none: the item is not shown
    bool setsEmptyNull = false;    // the item is the "@EMPTY.NULL" descriptor
};

// By the type code (exact and case-sensitive): A or S to the A/S view, D, I or V to the
// D/I/V view, PH to the PH view, anything else to the Other view. A D, I or V item named
// exactly like the file as typed is the file's own descriptor and is not shown.
Placement Classify(std::string_view field1, std::string_view itemId, std::string_view fileName);

// The view an item would be in if its type code were written in capitals, when that
// differs from where it is (a lower-case "d" is shown under Other, not D/I/V).
std::optional<ViewKind> ViewOfCapitals(std::string_view typeCode);

}  // namespace core

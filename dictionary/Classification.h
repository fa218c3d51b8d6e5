// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

#include "ViewKind.h"

namespace dictionary {

// Field 1 up to its first blank; empty when field 1 is empty or starts with a blank.
QString TypeCode(const QString& field1);

// The X descriptor that tells the server how to treat empty values.
inline constexpr const char* kEmptyNullId = "@EMPTY.NULL";

struct Placement {
    std::optional<ViewKind> view;  // none: the item is not shown
    bool setsEmptyNull = false;    // the item is the "@EMPTY.NULL" descriptor
};

// Which view an item goes to, by its type code (exact and case-sensitive):
// A or S to the A/S view, D, I or V to the D/I/V view, PH to the PH view, anything else
// to the Other view. A D, I or V item named exactly like the file as typed is the file's
// own descriptor and is not shown.
Placement Classify(const QString& field1, const QString& itemId, const QString& fileName);

}  // namespace dictionary

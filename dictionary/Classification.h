// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

#include "core/Classification.h"
#include "dictionary/ViewKind.h"

namespace dictionary {

// Field 1 up to its first blank; empty when field 1 is empty or starts with a blank.
QString TypeCode(const QString& field1);
// True for the types (I and V) whose items hold their compiled form after field 8.
bool CarriesCompiledForm(const QString& field1);

using core::kEmptyNullId;
using core::Placement;

// The core's rule (core::Classify) for texts of the grids.
Placement Classify(const QString& field1, const QString& itemId, const QString& fileName);

}  // namespace dictionary

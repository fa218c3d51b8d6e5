// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <vector>

#include "core/DictionaryDiff.h"

namespace cli {

// The changed fields of an item as diff and apply's plan print them, one a line:
//   field 4 (Column Name): "Old[VM]x" -> "New[VM]x"
// the marks as [VM], [SM] and [TM], a field one side does not have as (no such field).
void WriteFieldLines(std::ostream& out, const std::vector<core::FieldDifference>& fields);

}  // namespace cli

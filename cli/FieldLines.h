// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/DictionaryDiff.h"

namespace cli {

// The changed fields of an item as diff and apply's plan print them, one a line:
//   field 4 (Column Name): "Old[VM]x" -> "New[VM]x"
// the marks as [VM], [SM] and [TM], a field one side does not have as (no such field).
// A JSON string of the bytes, each byte outside printable ASCII as the code point of the
// same number (the bytes read as Latin-1), so every record is valid JSON and reversible.
std::string JsonString(std::string_view bytes);

void WriteFieldLines(std::ostream& out, const std::vector<core::FieldDifference>& fields);

}  // namespace cli

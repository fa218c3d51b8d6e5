// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace exporting {

// The number of fields a line holds, after the item id.
inline constexpr int kListedFields = 10;

// Appends the line of one item to `line`: the item id, then for fields 1 to 10 a tab and
// the whole field as the record holds it (value and subvalue marks kept, a missing field
// empty, fields after 10 left out), then CR LF. Bytes are copied, never converted.
// `record` is the record's text, fields separated by the field mark.
void AppendListingLine(std::string& line, std::string_view itemId, std::string_view record);

}  // namespace exporting

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace core {

// A record as text that diffs well, one line per field. A backslash, the value, subvalue
// and text marks and every byte that is not printable text (controls, 0x7F, bytes that
// are no part of valid UTF-8) are written as escapes: \\ \] \} \| and \xHH. So a line
// is never split by a byte of the record, and every byte reads back as it was. The text
// ends with a line end.
std::string ItemText(std::string_view record);
// The record such a text holds, its lines ended by LF or CR LF; false with why for text
// that ItemText never writes.
bool RecordOfText(std::string_view text, std::string& record, std::string& why);

}  // namespace core

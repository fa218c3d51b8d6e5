// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

// Item ids become file names inside a dictionary directory. Escaping writes as %XX
// (uppercase hex) every byte that some file system would refuse or change: / \ : * ? " < > | %,
// bytes below 0x20, 0x7F and above, a leading dot, a trailing blank or dot, and the first
// letter of a Windows device name (CON, NUL, COM1, ...). So every id is a legal name on
// Linux, macOS and Windows, never names another directory, and never starts with a dot.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Appends the escaped form of id to out (cleared first). False, with out unspecified,
// when the id cannot be a file name: empty, or longer than kMaxFileNameBytes escaped.
bool EscapeItemId(std::string_view id, std::string& out);

// The id a file name stands for. False when the name is not something EscapeItemId
// produces (a temporary file, a hand-made name such as "%zz" or "%41"): such files are
// not items.
bool UnescapeFileName(std::string_view name, std::string& id);

}  // namespace mv

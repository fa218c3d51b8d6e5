// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace ui {

// INI-file reading and writing with the rules of the classic private-profile calls:
// sections and keys match without regard to case, blanks around keys and values are
// ignored, one pair of enclosing quotes is removed from a value on read, and a missing
// file, section or key gives the default.
namespace PrivateProfile {

// The value cut to bufferSize - 1 characters, as a fixed buffer with its terminating
// NUL would hold it. bufferSize below 1 gives empty text.
QString GetString(const QString& section, const QString& key, const QString& defaultValue,
                  int bufferSize, const QString& path);

// Replaces the key's value, or adds the key (and the section) when missing, keeping every
// other line as it was. The file is rewritten atomically; a new file is created readable
// and writable by its owner only, since it may hold a password. False when the file
// could not be written, and then it is left as it was. A value that would not read
// back as written is refused the same way: a line break, a character outside Latin-1,
// an empty section or key, or a key holding '=' or starting with ';' or '['.
bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& path);

}  // namespace PrivateProfile
}  // namespace ui

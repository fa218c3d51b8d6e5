// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

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

// True when WriteString can store the value so that GetString gives it back: Latin-1
// text without a line break. Length is not checked; a value longer than a read's
// buffer comes back cut.
bool IsWritableValue(QStringView value);

// Replaces the key's value, or adds the key (and the section) when missing, keeping every
// other line as it was; added lines end the way the file's lines already do. A value
// with a blank at either end, or one that begins and ends with the same quote
// character, is written inside double quotes so that it reads back unchanged. The file
// is rewritten atomically and left readable and writable by its owner only, since it
// may hold a password. A path that is a symbolic link is written through, keeping the
// link, only when it ends at a regular file of the current user.
// False when the file could not be written, and then it is left as it was. Names and
// values that would not read back as written are refused the same way: a value that
// IsWritableValue refuses, an empty section or key, a section or key with a line break
// or outside Latin-1, or a key holding '=' or starting with ';' or '['.
bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& path);

}  // namespace PrivateProfile
}  // namespace ui

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct Variables;

namespace mv {
class DictionaryFile;
}

namespace dictionary {

class RecordsAsRead;

// Writes the X descriptor "@EMPTY.NULL" (field 1 "X") and tells the user, or shows the
// server's error. An item of that id that exists already, readable or not, is never
// replaced: then nothing is written and nothing is shown. A written descriptor is
// remembered as read.
void AddEmptyNullDescriptor(Variables& vars, const QString& fileName, mv::DictionaryFile& file,
                            RecordsAsRead& records);

}  // namespace dictionary

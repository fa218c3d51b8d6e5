// SPDX-License-Identifier: MIT
#pragma once

struct Variables;

namespace dictionary {

struct OpenDictionary;

// Writes the X descriptor "@EMPTY.NULL" (field 1 "X") and tells the user, or shows the
// server's error. An item of that id that exists already, readable or not, is never
// replaced: then nothing is written and nothing is shown. A written descriptor is
// remembered as read. False when the account refused the write as one it may not make
// (the dictionary is read-only there): nothing is shown then.
bool AddEmptyNullDescriptor(Variables& vars, OpenDictionary& open);

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include "dictionary/DictionaryScreen.h"

namespace dictionary {

// After a call failed because the connection to the server dropped (its error box
// shown): asks whether to log in again and, on Yes, opens the dictionary of the grids
// again on the new session. The rows stay as they are, pending rows included; a save
// compares each item with the account before writing, so nothing changed meanwhile is
// written over. True when the new session is connected and the dictionary, if one was
// open, is open on it.
bool RecoverConnection(const DictionaryContext& context);

}  // namespace dictionary

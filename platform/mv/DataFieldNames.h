// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/mv/SelectCommand.h"

namespace mv {

// Resolves the BY and WITH names of a select of a data file through the file's own
// dictionary, the folder dictionaryFd (-1 when the file has none). A name is a D item
// (the field of its location in field 2, 0 for the id; right-justified when its format in
// field 5 says R), an A or S item with no correlative (field 2, justification in field 9),
// or @ID. kOk, or kUnknownSortName with one line in message: the name is missing, or is an
// item whose value the engine cannot take from one field (an I or V item, a correlative).
int ResolveDataNames(int dictionaryFd, SelectCommand& command, std::string& message);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/SortKeys.h"

namespace mv {

// A select command: SSELECT or SELECT, DICT, a file name, then BY / BY.DSND clauses.
struct SelectCommand {
    bool sortById = false;  // SSELECT without BY sorts by id; SELECT keeps directory order
    std::string fileName;
    std::vector<SortKey> keys;
};

// Parses text, split on blanks. Verbs and the words DICT, BY and BY.DSND are taken
// without regard to letter case; the file name exactly as written. Returns kOk, or
// kUnknownCommand, kCommandSyntax or kUnknownSortName with one line in message.
int ParseSelectCommand(std::string_view text, SelectCommand& command, std::string& message);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/SortKeys.h"

namespace mv {

// A select command: SSELECT or SELECT, DICT, a file name, then BY / BY.DSND clauses; or
// SSELECT VOC alone or with kFilePointersOnly, for the account's file names.
struct SelectCommand {
    // SSELECT VOC (or SELECT VOC): the names of the account's files, as the VOC file of
    // an account lists them; the engine keeps no VOC, so it lists its dictionaries.
    bool listsFiles = false;
    bool sortById = false;  // SSELECT without BY sorts by id; SELECT keeps directory order
    std::string fileName;
    std::vector<SortKey> keys;
};

// Parses text, split on blanks. Verbs and the words DICT, BY and BY.DSND are taken
// without regard to letter case; the file name exactly as written. Returns kOk, or
// kUnknownCommand, kCommandSyntax or kUnknownSortName with one line in message.
// The selection of the VOC items that point to files, which the engine accepts after
// SSELECT VOC.
inline constexpr const char* kFilePointersOnly = R"(WITH F1 LIKE "F..." OR WITH F1 LIKE "Q...")";

int ParseSelectCommand(std::string_view text, SelectCommand& command, std::string& message);

}  // namespace mv

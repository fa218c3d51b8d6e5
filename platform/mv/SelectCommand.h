// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/SelectConditions.h"
#include "platform/mv/SortKeys.h"

namespace mv {

// A select command: SSELECT or SELECT, DICT for a dictionary or nothing for the data
// file, a file name, then BY / BY.DSND, WITH (joined by AND and OR) and SAMPLE clauses;
// or SSELECT VOC alone or with kFilePointersOnly, for the account's file names.
struct SelectCommand {
    // SSELECT VOC (or SELECT VOC): the names of the account's files, as the VOC file of
    // an account lists them; the engine keeps no VOC, so it lists its dictionaries.
    bool listsFiles = false;
    bool dictionary = true;  // DICT: the dictionary's items; without it the file's records
    bool sortById = false;   // SSELECT without BY sorts by id; SELECT keeps directory order
    std::string fileName;
    std::vector<SortKey> keys;
    // The names of keys as written. Those of a dictionary select are resolved by the
    // parser; those of a data file through its dictionary (ResolveDataNames).
    std::vector<std::string> keyNames;
    Selection selection;
    std::size_t sample = 0;  // SAMPLE n: no more than n records; 0 for every one
};

// The selection of the VOC items that point to files, which the engine accepts after
// SSELECT VOC.
inline constexpr const char* kFilePointersOnly = R"(WITH F1 LIKE "F..." OR WITH F1 LIKE "Q...")";

// Parses text, split on blanks outside quotes. Verbs and keywords are taken without regard
// to letter case; the file name and values exactly as written. Returns kOk, or
// kUnknownCommand, kCommandSyntax or kUnknownSortName with one line in message.
int ParseSelectCommand(std::string_view text, SelectCommand& command, std::string& message);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/mv/TemporaryFiles.h"

namespace mv {

// An entry of a dictionary folder that the program does not see as an item, or an item
// it could not store back unchanged.
struct EntryProblem {
    enum class Kind {
        NotAnItemName,   // a file name escaping never gives; fileNameForId says what would
        HiddenFile,      // a name with a leading dot that is not the engine's
        TemporaryFile,   // left by a write that did not finish; debris describes it
        Link,            // a symbolic link, never followed
        NotRegularFile,  // a folder, FIFO, device or socket
        Unreadable,      // a regular item file that cannot be read
        HoldsFieldMark,  // an item file holding the byte 0xFE; offset is the first one
    };
    Kind kind = Kind::NotAnItemName;
    std::string name;  // the item id, or the file name when it stands for no id
    std::string fileNameForId;
    std::size_t offset = 0;
    TemporaryFile debris;
};

// Everything in one dictionary folder: its items with their records as a read gives them
// (in listing order), and the entries that are no item or no faithful one. An item that
// holds 0xFE is among both.
struct DictionaryContents {
    std::vector<std::pair<std::string, std::string>> items;
    std::vector<EntryProblem> problems;
};

// Lists the dictionary of file `fileName` in the account folder without following a
// link and without writing anything (temporary files are reported, not removed).
// 0, or the error code of a dictionary that cannot be opened or listed.
int InspectDictionary(const std::string& accountPath, const std::string& fileName,
                      DictionaryContents& contents);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mv {
class MapItemSource;
}

namespace cli {

// One line of the check about one item of a dictionary.
struct Finding {
    // In the order the lines of one item are printed.
    enum class Kind { kFailed, kRefused, kNote };
    Kind kind = Kind::kNote;
    std::string item;  // the item id, or the file name when it is no item id
    std::string text;  // "column 3: ...", "refused: ..." or "note: ..."
};

struct DictionaryReport {
    std::size_t items = 0;          // item files the program sees
    std::size_t descriptors = 0;    // I and V descriptors compiled
    std::vector<Finding> findings;  // sorted by item, then kind
};

// Looks at every entry of one dictionary directory and compiles every I and V descriptor
// in it with the engine's compiler, against the items of the same directory, writing
// nothing. What the program cannot read or store faithfully is refused; a type code the
// program places differently than its capital letters suggest is noted.
class DictionaryCheck {
public:
    // dirFd: the open dictionary directory, not owned.
    explicit DictionaryCheck(int dirFd) : dirFd_(dirFd) {}

    // False when the directory cannot be listed.
    bool Run(DictionaryReport& report);

    // Compiles the I and V descriptors among `ids` against `items`, which a caller read
    // itself (from a server, for instance), adding to the findings of `report`.
    static void CheckItems(mv::MapItemSource& items, std::vector<std::string> ids,
                           DictionaryReport& report);

private:
    int dirFd_;
};

}  // namespace cli

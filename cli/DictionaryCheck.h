// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

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

// The check of one dictionary: every entry of its folder is looked at and every I and V
// descriptor compiled with the engine's compiler against the items of the same
// dictionary, writing nothing. What the program cannot read or store faithfully is
// refused; a type code the program places differently than its capital letters suggest
// is noted.
namespace DictionaryCheck {

// The dictionary of fileName in the account folder: 0, or the error code of a dictionary
// that cannot be opened or listed.
int Run(const std::string& accountPath, const std::string& fileName, DictionaryReport& report);

// Checks items (id and record) that a caller read itself, from a server for instance,
// adding to the findings of report.
void CheckItems(const std::vector<std::pair<std::string, std::string>>& items,
                DictionaryReport& report);

}  // namespace DictionaryCheck
}  // namespace cli

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/DictionaryDiff.h"
#include "core/ItemText.h"

namespace cli {

using core::ItemMap;

// A dictionary as text that diffs well: one file per item, named by its escaped id as in
// an account folder, its record as ItemText writes it.
using core::ItemText;
using core::RecordOfText;

// The file of a dump folder that lists the item files the last dump wrote there. Its
// name starts with a dot, so it is no item.
inline constexpr const char* kDumpListName = ".kelvora-dump";

bool IsDumpFolder(const std::string& folder);

// Reads every item of the dump folder: every file whose name does not start with a dot.
bool ReadDumpFolder(const std::string& folder, ItemMap& items, std::string& why);

struct DumpCounts {
    std::size_t written = 0;    // new or changed item files
    std::size_t unchanged = 0;  // item files that already held the item
    std::size_t removed = 0;    // item files of the last dump whose item is gone
    // Files a dump did not write that would be read as items (names without a leading
    // dot): left alone, but the folder then holds more than the dictionary.
    std::vector<std::string> foreign;
};

// Makes folder (created when missing) hold exactly items: files that already hold their
// item are left alone, a file the last dump wrote whose item is gone is removed, and no
// other file is touched but a .gitattributes of "* -text" written into a folder no dump
// wrote before, when it has none. Each file is replaced whole, never left half written.
bool WriteDumpFolder(const std::string& folder, const std::string& fileName, const ItemMap& items,
                     DumpCounts& counts, std::string& why);

}  // namespace cli

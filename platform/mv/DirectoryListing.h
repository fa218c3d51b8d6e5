// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

struct dirent;

namespace mv {

// Calls visit with every entry of directory dirFd but "." and "..", in the order the
// directory lists them, through a descriptor of its own so that dirFd's position is left
// alone. False when the directory cannot be listed (also part way through).
bool ForEachEntry(int dirFd, const std::function<void(const dirent& entry)>& visit);

struct ItemFileEntry {
    std::string fileName;  // as the directory holds it
    std::string id;        // the item id it stands for
};

// The items of dictionary directory dirFd, in the order the directory lists them: the
// regular files whose names are escaped item ids. Anything else, such as a temporary file
// of an unfinished write, a sub-directory or a link, is not an item.
// False when the directory cannot be listed.
bool ListItemFiles(int dirFd, std::vector<ItemFileEntry>& entries);

}  // namespace mv

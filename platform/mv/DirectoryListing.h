// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace mv {

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

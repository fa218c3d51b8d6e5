// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/mv/SelectCommand.h"
#include "platform/mv/SelectSnapshot.h"

namespace mv {

// Runs a parsed select, its names resolved, on the directory dirFd (a dictionary or a
// data file): lists its items, keeps those its WITH clauses select (up to its SAMPLE
// count, in directory order) and orders them as the command asks, ties falling to the next
// key and finally to the id. Records read for the keys and conditions are kept in snapshot
// (which is cleared first). False when the directory cannot be listed.
bool RunSelect(int dirFd, const DirectoryId& directory, const SelectCommand& command,
               SelectSnapshot& snapshot, std::vector<std::string>& ids);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace fuzz {

// A private folder for the targets that need real files, made once per process and
// removed at exit. It lies in /dev/shm when there is one: the engine flushes every write
// to disk, which would otherwise bound a run to a few hundred inputs a second.
const std::string& ScratchFolder();

}  // namespace fuzz

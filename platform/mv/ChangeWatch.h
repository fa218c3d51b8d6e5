// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/mv/UniqueFd.h"

namespace mv {

// Tells which files of one directory changed since watching began, by any program.
// Only offered where the kernel sees every change: local file systems on Linux. On a
// network share another machine's changes would go unseen, so Start refuses there.
class ChangeWatch {
public:
    // Starts watching dirFd (ending any earlier watch); false when changes cannot be told.
    bool Start(int dirFd);
    void Stop();
    bool Active() const { return inotify_.Valid() && watch_ >= 0; }

    // Adds to names the files changed since the last call. False when it cannot tell
    // which (the event queue overflowed, the directory itself went): treat all as changed.
    bool Poll(std::vector<std::string>& names);

private:
    UniqueFd inotify_;
    int watch_ = -1;
};

}  // namespace mv

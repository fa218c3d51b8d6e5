// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

// A write that is interrupted (the process killed, the machine stopped) leaves its
// temporary file behind in the dictionary folder. Such a file is the engine's own debris
// once it is older than this: no write of the engine takes that long, so no write still
// in progress can own it.
inline constexpr std::chrono::seconds kStaleTemporaryFileAge = std::chrono::hours(1);

// A fresh name for the temporary file of a write: ".kelvora-tmp-<pid>-<n>". It starts
// with a dot, which no escaped item id does.
std::string NewTemporaryFileName();

// True for a name NewTemporaryFileName could have given, and for nothing else.
bool IsTemporaryFileName(std::string_view name);

// What a leftover temporary file looks like.
struct TemporaryFile {
    std::chrono::seconds age{0};  // since it was last written; 0 when its time is ahead
    off_t size = 0;
};

// The temporary file `name` of directory dirFd: false unless the name is one of ours
// and the entry is a regular file (a link is not followed).
bool InspectTemporaryFile(int dirFd, const char* name, TemporaryFile& file);

// Removes the temporary files of directory dirFd older than kStaleTemporaryFileAge, and
// nothing else; returns how many went. Failures are silent: nothing depends on them.
std::size_t RemoveStaleTemporaryFiles(int dirFd);

}  // namespace mv

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
// in progress can own it. A file whose name shows that its writer has ended goes sooner
// (TemporaryFileWriter::Ended).
inline constexpr std::chrono::seconds kStaleTemporaryFileAge = std::chrono::hours(1);

// A fresh name for the temporary file of a write: ".kelvora-tmp-<host>-<pid>-<n>", where
// <host> is 16 hex digits naming the pid space of this process (ThisHostTag). It starts
// with a dot, which no escaped item id does. Where that pid space cannot be told, the
// name is ".kelvora-tmp-<pid>-<n>", as older versions named every temporary file.
std::string NewTemporaryFileName();

// The name the write number `number` of process `pid` of this host would use.
std::string TemporaryFileNameFor(pid_t pid, unsigned long number);

// The <host> part of the names this process gives; empty when it cannot be told.
const std::string& ThisHostTag();

// True for a name NewTemporaryFileName could have given (with or without the host, from
// any host), and for nothing else.
bool IsTemporaryFileName(std::string_view name);

// What the name of a temporary file tells of the process that wrote it.
enum class TemporaryFileWriter {
    Unknown,    // a name without the host (older versions), so its pid says nothing here
    OtherHost,  // a process of another host, or of another pid space on this one
    Running,    // a process of this host that still runs (or may: one we may not signal)
    Ended,      // a process of this host that no longer runs: its write will never finish
};

// What a leftover temporary file looks like.
struct TemporaryFile {
    std::chrono::seconds age{0};  // since it was last written; 0 when its time is ahead
    off_t size = 0;
    TemporaryFileWriter writer = TemporaryFileWriter::Unknown;
};

// The temporary file `name` of directory dirFd: false unless the name is one of ours
// and the entry is a regular file (a link is not followed).
bool InspectTemporaryFile(int dirFd, const char* name, TemporaryFile& file);

// True when no write can still own the file: its writer has ended, or it is older than
// kStaleTemporaryFileAge.
bool IsStaleTemporaryFile(const TemporaryFile& file);

// Removes the stale temporary files of directory dirFd (IsStaleTemporaryFile), and
// nothing else; returns how many went. Failures are silent: nothing depends on them.
std::size_t RemoveStaleTemporaryFiles(int dirFd);

}  // namespace mv

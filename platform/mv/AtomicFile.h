// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace mv {

// Replaces (or creates) file `name` in the directory dirFd with bytes, so that a crash
// leaves either the old file or the new one: the bytes go to a temporary file in the
// same directory, are flushed to disk, and the temporary file is renamed over the target.
// The temporary name starts with a dot, which no escaped item id does; one left by a
// write that never finished is removed later (TemporaryFiles.h). A target that is
// not a regular file (a link, a FIFO, a directory) is refused. On failure the temporary
// file is removed, the target is untouched, and false comes back.
bool ReplaceFileAtomically(int dirFd, const std::string& name, std::string_view bytes);

// The two halves of that, for many files written together: bytes go to a new temporary
// file (its name in `temporary`) with the permissions `name` has, flushed to disk now or
// left for the caller to flush with the others (syncfs) before any is put in place.
enum class Flush { Now, Later };
bool WriteTemporaryFor(int dirFd, const std::string& name, std::string_view bytes, Flush flush,
                       std::string& temporary);
// Renames the temporary file over name; on failure removes it.
bool PutInPlace(int dirFd, const std::string& temporary, const std::string& name);

}  // namespace mv

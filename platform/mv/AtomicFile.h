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

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

namespace mv::test {

// Runs body where file permissions apply and returns what it returns; body is given the
// path by which it reaches `folder`. Root ignores permissions, so as root body runs in a
// forked child that moves into the folder and then drops to the user and group nobody
// (65534), reaching it as "." whatever the folders above it allow; what body reaches
// inside must be open to others. Otherwise body runs here with the folder's own path.
// A child that cannot drop its privileges or does not finish gives "child failed: ...".
std::string AsUnprivilegedUser(const std::filesystem::path& folder,
                               const std::function<std::string(const std::string&)>& body);

// The pid of a process that has ended and been reaped: no process has it until the
// kernel hands it out again, which takes a full turn of the pid space.
pid_t EndedProcess();

}  // namespace mv::test

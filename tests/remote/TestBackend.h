// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

// The same suites run twice: on the local engine, and through kelvora-server over a
// loopback socket. CTest sets KELVORA_TEST_BACKEND=remote for the second run; the test
// fixtures then log in to a server of this process that serves the account's parent
// folder, instead of opening the folder directly.
namespace testbackend {

bool IsRemote();

// Where a session reaches the account folder `account`: an empty host and the folder's
// path on the local engine; through the server, "127.0.0.1:PORT" and the folder's name.
struct Reach {
    std::string host;
    std::string account;
};
Reach ReachFor(const std::filesystem::path& account);

// A server of this process serving the folder `root` (started on first use, kept for the
// life of the test program), as "127.0.0.1:PORT".
std::string ServeFolder(const std::filesystem::path& root);

}  // namespace testbackend

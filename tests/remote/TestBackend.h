// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

// The same suites run more than once: on the local engine, and through a server over a
// loopback socket. CTest sets KELVORA_TEST_BACKEND for the other runs: "remote" for
// kelvora-server, "standin-int" or "standin-bytes" for the stand-in server (StandInServer.h)
// with integer or byte-string file handles. The test fixtures then log in to a server of
// this process that serves the account's parent folder, instead of opening the folder
// directly.
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
// life of the test program), as "127.0.0.1:PORT": the stand-in server when
// KELVORA_TEST_BACKEND names one, else kelvora-server.
std::string ServeFolder(const std::filesystem::path& root);

}  // namespace testbackend

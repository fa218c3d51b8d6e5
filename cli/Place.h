// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace cli {

// Where a dictionary is, for the commands that compare and copy dictionaries: an account
// folder on this computer, an account on a server, or a folder written by dump.
//
// A server is written USER@HOST[:PORT]/ACCOUNT (IPv6 addresses in brackets), like a copy
// over ssh: ann@db.example.com:31438/sales. Anything else is a folder on this computer,
// a dump folder when it holds the dump's list of files, else an account folder.
struct Place {
    enum class Kind { Account, Server, DumpFolder };
    Kind kind = Kind::Account;
    std::string text;     // as written, for messages
    std::string folder;   // Account and DumpFolder
    std::string user;     // Server
    std::string host;     // Server: HOST or HOST:PORT, as the session takes it
    std::string account;  // Server
};

// The place text names, or nullopt with a one-line reason: a malformed server place, or
// a folder that does not exist.
std::optional<Place> ParsePlace(const std::string& text, std::string& why);

}  // namespace cli

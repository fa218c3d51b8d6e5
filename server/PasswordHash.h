// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace server {

// Argon2id password hashes in libsodium's string form ("$argon2id$..."), which carries
// its own salt and cost, so a hash made at any cost verifies the same way.
enum class HashCost {
    Interactive,  // what passwd stores: about 64 MiB and a fraction of a second
    Minimum,      // the least libsodium allows, for tests that make many hashes
};

// Initialises libsodium; false when it cannot be used. Safe to call more than once.
bool InitPasswordHashing();

bool HashPassword(const std::string& password, HashCost cost, std::string& hash);

// True when password matches hash. At most a few verifications run at once, since each
// may take tens of megabytes for a moment.
bool VerifyPassword(const std::string& hash, const std::string& password);

// Whether text has the form of a hash this program makes.
bool LooksLikePasswordHash(const std::string& text);

}  // namespace server

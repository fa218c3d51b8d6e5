// SPDX-License-Identifier: MIT
#include "server/PasswordHash.h"

#include <sodium.h>

#include <semaphore>

namespace server {

namespace {

constexpr char kHashPrefix[] = "$argon2id$";

// Bounds the memory that simultaneous logins can take.
std::counting_semaphore<4> verificationSlots(4);

}  // namespace

bool InitPasswordHashing() {
    return ::sodium_init() >= 0;
}

bool HashPassword(const std::string& password, HashCost cost, std::string& hash) {
    if (!InitPasswordHashing()) {
        return false;
    }
    const bool interactive = cost == HashCost::Interactive;
    const unsigned long long ops =
        interactive ? crypto_pwhash_OPSLIMIT_INTERACTIVE : crypto_pwhash_OPSLIMIT_MIN;
    const std::size_t memory =
        interactive ? crypto_pwhash_MEMLIMIT_INTERACTIVE : crypto_pwhash_MEMLIMIT_MIN;
    char out[crypto_pwhash_STRBYTES];
    if (::crypto_pwhash_str_alg(out, password.data(), password.size(), ops, memory,
                                crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return false;
    }
    hash = out;
    return true;
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
    if (!LooksLikePasswordHash(hash) || !InitPasswordHashing()) {
        return false;
    }
    verificationSlots.acquire();
    const bool matches =
        ::crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
    verificationSlots.release();
    return matches;
}

bool LooksLikePasswordHash(const std::string& text) {
    return text.size() < crypto_pwhash_STRBYTES && text.rfind(kHashPrefix, 0) == 0 &&
           text.find_first_of(std::string("\t\r\n\0", 4)) == std::string::npos;
}

}  // namespace server

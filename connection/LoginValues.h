// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// What a login connects with, as the session takes them (Latin-1 bytes).
struct LoginValues {
    std::string host;
    std::string account;
    std::string user;
    std::string password;
    std::string databaseType;
    // False until a login succeeded.
    bool set = false;
};

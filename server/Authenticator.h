// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "server/UsersFile.h"

namespace server {

// Decides whether a user name and password may log in: against the users table, or,
// without one, accepting anybody.
class Authenticator {
public:
    explicit Authenticator(std::optional<UserTable> users);

    // kOk, kBadUserName for an unknown user, or kBadPassword. An unknown user takes as
    // long to check as a known one, so the time of a refusal does not tell them apart.
    int Check(const std::string& user, const std::string& password) const;

private:
    std::optional<UserTable> users_;
    // A hash of the table's to check unknown users' passwords against, for the time only.
    std::string decoyHash_;
};

}  // namespace server

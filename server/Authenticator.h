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
    explicit Authenticator(std::optional<UserTable> users) : users_(std::move(users)) {}

    // kOk, kBadUserName for an unknown user, or kBadPassword.
    int Check(const std::string& user, const std::string& password) const;

private:
    std::optional<UserTable> users_;
};

}  // namespace server

// SPDX-License-Identifier: MIT
#include "server/PasswdCommand.h"

#include <unistd.h>

#include <cerrno>

#include "server/UsersFile.h"

namespace server {

bool SetUserPassword(const std::string& usersFile, const std::string& user,
                     const std::string& password, HashCost cost, bool& added, std::string& why) {
    UserTable users;
    const bool exists = ::access(usersFile.c_str(), F_OK) == 0 || errno != ENOENT;
    if (exists && !LoadUsersFile(usersFile, users, why)) {
        return false;
    }
    std::string hash;
    if (!HashPassword(password, cost, hash)) {
        why = "the password could not be hashed";
        return false;
    }
    added = users.Set(user, hash);
    return SaveUsersFile(usersFile, users, why);
}

}  // namespace server

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace server {

// The users who may log in, each with the hash of their password, in file order.
class UserTable {
public:
    // The hash of user, or null when there is no such user.
    const std::string* HashOf(const std::string& user) const;
    // Adds the user, or replaces their hash; true when the user is new.
    bool Set(const std::string& user, const std::string& hash);
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// A user name the file can hold: not empty, no tab, no control byte.
bool IsValidUserName(const std::string& name);

// The users file holds one user a line, "name<TAB>hash"; empty lines are skipped. False,
// with the line at fault, for anything else.
bool ParseUsers(const std::string& text, UserTable& users, std::string& why);
std::string FormatUsers(const UserTable& users);

// Reads and parses the file; false, with the reason, when it cannot be read or parsed.
bool LoadUsersFile(const std::string& path, UserTable& users, std::string& why);
// Writes the whole table to a temporary file beside path, readable by its owner only,
// and renames it over path, so a crash leaves the old file or the new one.
bool SaveUsersFile(const std::string& path, const UserTable& users, std::string& why);

}  // namespace server

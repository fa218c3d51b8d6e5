// SPDX-License-Identifier: MIT
#include "server/UsersFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/mv/UniqueFd.h"
#include "server/PasswordHash.h"

namespace server {

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

const std::string* UserTable::HashOf(const std::string& user) const {
    for (const auto& [name, hash] : entries_) {
        if (name == user) {
            return &hash;
        }
    }
    return nullptr;
}

bool UserTable::Set(const std::string& user, const std::string& hash) {
    for (auto& [name, existing] : entries_) {
        if (name == user) {
            existing = hash;
            return false;
        }
    }
    entries_.emplace_back(user, hash);
    return true;
}

bool IsValidUserName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

bool ParseUsers(const std::string& text, UserTable& users, std::string& why) {
    users = UserTable{};
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const auto tab = line.find('\t');
        const std::string where = "line " + std::to_string(lineNumber);
        if (tab == std::string::npos) {
            why = where + ": expected a user name, a tab and a password hash";
            return false;
        }
        const std::string name = line.substr(0, tab);
        const std::string hash = line.substr(tab + 1);
        if (!IsValidUserName(name)) {
            why = where + ": the user name is empty or holds control characters";
            return false;
        }
        if (!LooksLikePasswordHash(hash)) {
            why = where + ": the password hash is not an Argon2id hash made by passwd";
            return false;
        }
        if (!users.Set(name, hash)) {
            why = where + ": user \"" + name + "\" appears twice";
            return false;
        }
    }
    return true;
}

std::string FormatUsers(const UserTable& users) {
    std::string text;
    for (const auto& [name, hash] : users.Entries()) {
        text += name + '\t' + hash + '\n';
    }
    return text;
}

bool LoadUsersFile(const std::string& path, UserTable& users, std::string& why) {
    const mv::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        why = "cannot read users file \"" + path + "\": " + ErrnoText();
        return false;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            why = "cannot read users file \"" + path + "\": " + ErrnoText();
            return false;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    if (!ParseUsers(text, users, why)) {
        why = "users file \"" + path + "\", " + why;
        return false;
    }
    return true;
}

bool SaveUsersFile(const std::string& path, const UserTable& users, std::string& why) {
    std::string temporary = path + ".XXXXXX";
    // mkstemp makes the file with mode 0600, so no other user ever sees the hashes.
    mv::UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        why = "cannot create a temporary file beside \"" + path + "\": " + ErrnoText();
        return false;
    }
    const bool written = ::fchmod(fd.Get(), S_IRUSR | S_IWUSR) == 0 &&
                         WriteAll(fd.Get(), FormatUsers(users)) && ::fsync(fd.Get()) == 0;
    const int closed = ::close(fd.Release());
    if (!written || closed != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        why = "cannot write users file \"" + path + "\": " + ErrnoText();
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace server

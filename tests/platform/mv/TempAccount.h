// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/mv/Session.h"

namespace mv::test {

// A fresh account directory for one test, removed with everything in it afterwards.
// The account sits in a parent directory of its own, so a test can check that nothing
// was written beside the account either.
class TempAccount {
public:
    TempAccount();
    ~TempAccount();
    TempAccount(const TempAccount&) = delete;
    TempAccount& operator=(const TempAccount&) = delete;

    const std::filesystem::path& Path() const { return account_; }
    const std::filesystem::path& Parent() const { return parent_; }
    std::filesystem::path DictionaryPath(const std::string& fileName) const;

    void MakeDictionary(const std::string& fileName) const;
    void WriteFile(const std::string& fileName, const std::string& itemFile,
                   const std::string& bytes) const;
    std::string ReadFile(const std::string& fileName, const std::string& itemFile) const;

    // Every file under the parent directory, by relative path, with its bytes.
    std::map<std::string, std::string> Snapshot() const;

    // A session connected to this account.
    std::unique_ptr<Session> Connect() const;

private:
    std::filesystem::path parent_;
    std::filesystem::path account_;
};

// The bytes of a file, empty when it cannot be read.
std::string FileBytes(const std::filesystem::path& path);

// Copies the directory tree `from` into a new, writable directory `to`.
void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace mv::test

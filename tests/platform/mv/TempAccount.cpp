// SPDX-License-Identifier: MIT
#include "tests/platform/mv/TempAccount.h"

#include "platform/mv/RecordLocks.h"

#include "tests/remote/TestBackend.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace mv::test {

namespace fs = std::filesystem;

TempAccount::TempAccount() {
    std::string pattern = (fs::temp_directory_path() / "kelvora-mv-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    parent_ = pattern;
    account_ = parent_ / "account";
    fs::create_directory(account_);
}

TempAccount::~TempAccount() {
    std::error_code ignored;
    // Tests may leave read-only directories behind; open them up so everything goes.
    for (auto it = fs::recursive_directory_iterator(parent_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, ignored);
        }
    }
    fs::remove_all(parent_, ignored);
}

fs::path TempAccount::DictionaryPath(const std::string& fileName) const {
    return account_ / ("D_" + fileName);
}

void TempAccount::MakeDictionary(const std::string& fileName) const {
    fs::create_directory(DictionaryPath(fileName));
}

void TempAccount::WriteFile(const std::string& fileName, const std::string& itemFile,
                            const std::string& bytes) const {
    std::ofstream out(DictionaryPath(fileName) / itemFile, std::ios::binary);
    out << bytes;
}

std::string TempAccount::ReadFile(const std::string& fileName, const std::string& itemFile) const {
    return FileBytes(DictionaryPath(fileName) / itemFile);
}

std::map<std::string, std::string> TempAccount::Snapshot() const {
    std::map<std::string, std::string> files;
    for (auto entry = fs::recursive_directory_iterator(parent_);
         entry != fs::recursive_directory_iterator(); ++entry) {
        std::string key = fs::relative(entry->path(), parent_).string();
        if (entry->path().filename() == mv::kLockFileName) {
            continue;  // the engine's record locks, which hold no bytes
        }
        if (entry->path().filename() == ".kelvora-journal") {
            // The account's history of changes, which a server keeps of every write it is
            // asked for, made or not: no item of the account.
            entry.disable_recursion_pending();
            continue;
        }
        if (entry->is_directory()) {
            files[key + "/"] = "";
            continue;
        }
        files[key] = FileBytes(entry->path());
    }
    return files;
}

std::unique_ptr<Session> TempAccount::Connect() const {
    auto session = std::make_unique<Session>();
    const testbackend::Reach reach = testbackend::ReachFor(account_);
    session->SetHostName(reach.host);
    session->SetAccountPath(reach.account);
    session->Connect();
    EXPECT_EQ(session->Error(), 0);
    return session;
}

std::string FileBytes(const fs::path& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
    }
    std::fclose(file);
    return bytes;
}

void CopyTree(const fs::path& from, const fs::path& to) {
    // Directories made afresh, files made writable: the source may be read-only, and a
    // copy that kept those permissions could not be written to without root.
    fs::create_directory(to);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory()) {
            fs::create_directory(target);
        } else {
            fs::copy_file(entry.path(), target);
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add);
        }
    }
}

}  // namespace mv::test

// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/mv/Backend.h"
#include "platform/mv/SelectSnapshot.h"
#include "platform/mv/UniqueFd.h"

namespace mv {

// The engine of a session with no host: an account directory on this machine, with the
// dictionary of file NAME in the directory D_NAME and each item in a file of its own.
class LocalEngine final : public Backend {
public:
    // kOk with engine set, or kAccountNotFound.
    static int Open(const std::string& accountPath, std::shared_ptr<LocalEngine>& engine);

    bool IsActive() const override { return account_.Valid(); }
    void Shutdown() override;

    int OpenDictionary(const std::string& fileName, int& handle) override;
    void CloseFile(int handle) override;
    int Read(int handle, const std::string& id, std::string& record) override;
    int Write(int handle, const std::string& id, const std::string& record) override;
    int Delete(int handle, const std::string& id) override;

    CommandResult Execute(const std::string& text) override;

private:
    explicit LocalEngine(UniqueFd account) : account_(std::move(account)) {}

    struct Directory {
        UniqueFd fd;
        DirectoryId id;
    };
    // The directory of an open handle, or null when the handle is closed.
    const Directory* DirectoryOf(int handle) const;
    // Opens D_<fileName>: kOk, kBadFileName, kNoSuchDictionary or kDictionaryUnreadable.
    int OpenDirectory(const std::string& fileName, Directory& directory) const;
    // For a command naming a file: opens its dictionary, or fills the error and response
    // of `result` and returns false.
    bool OpenCommandDirectory(const std::string& fileName, Directory& directory,
                              CommandResult& result) const;
    CommandResult Select(const std::string& text);
    CommandResult Compile(const std::string& text);

    UniqueFd account_;
    std::unordered_map<int, Directory> files_;
    int lastHandle_ = 0;
    SelectSnapshot snapshot_;
    std::string nameBuffer_;  // the escaped id of the current call, reused to spare allocations
    std::string bytesBuffer_;
};

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mv/compiler/ItemSource.h"

namespace mv {

// The items of a dictionary directory, each read from disk at most once.
class DirectoryItemSource final : public ItemSource {
public:
    explicit DirectoryItemSource(int dirFd) : dirFd_(dirFd) {}

    const std::string* Find(const std::string& id) override;
    bool Unreadable(const std::string& id) override;

    // Reads item id: kOk with record set, or kRecordNotFound or kReadFailed.
    int Load(const std::string& id, const std::string*& record);

    // Reads every item of the directory into ids (unsorted); after it no lookup goes to
    // the disk again. False when the directory cannot be listed.
    bool LoadAll(std::vector<std::string>& ids);

private:
    struct Cached {
        int error = 0;
        std::string record;
    };

    int dirFd_;
    std::unordered_map<std::string, Cached> cache_;
    bool complete_ = false;
    std::string name_;  // reused for the escaped ids
};

}  // namespace mv

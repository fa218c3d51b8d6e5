// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "ItemFiles.h"

namespace mv {

// The records a sorting select had to read anyway, kept for the reads that usually
// follow it: a program walks the list and reads every item. A kept record is handed out
// once, and only while the item file still carries the stamp it had when it was read,
// so a change made meanwhile by anyone is read from disk as usual.
class SelectSnapshot {
public:
    static constexpr std::size_t kMaxBytes = 256u << 20;

    void Clear();
    // False, keeping nothing, once the snapshot would exceed kMaxBytes.
    bool Keep(std::string fileName, std::string record, const FileStamp& stamp);
    // Moves the kept record of item file `fileName` of directory dirFd into record.
    bool Take(int dirFd, const std::string& fileName, std::string& record);
    void Forget(const std::string& fileName);

private:
    struct Kept {
        std::string record;
        FileStamp stamp;
    };
    std::unordered_map<std::string, Kept> kept_;
    std::size_t bytes_ = 0;
};

}  // namespace mv

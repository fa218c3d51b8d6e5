// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/mv/ChangeWatch.h"
#include "platform/mv/ItemFiles.h"

namespace mv {

// Which directory a file descriptor stands for.
struct DirectoryId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const DirectoryId&) const = default;
};

// The records a sorting select had to read anyway, kept for the reads that usually
// follow it: a program walks the list and reads every item, in list order. A kept record
// is handed out once, and only while the item file is unchanged since it was read: a
// change watch reports every change made by anyone meanwhile, or, where there is none,
// the file must still carry the stamp it had. Everything else is read from disk.
class SelectSnapshot {
public:
    static constexpr std::size_t kMaxBytes = 256u << 20;

    // Never leaves every kept record to its stamp, as on a file system with no watch.
    enum class Watching { IfPossible, Never };

    // maxBytes bounds the names and records kept together.
    explicit SelectSnapshot(std::size_t maxBytes = kMaxBytes) : maxBytes_(maxBytes) {}

    // Starts an empty snapshot of directory dirFd, before its files are read; true when
    // changes are watched, so the records need no stamps.
    bool Begin(int dirFd, const DirectoryId& directory, Watching watching = Watching::IfPossible);
    void Reserve(std::size_t items) { kept_.reserve(items); }
    void Clear();
    // Keeps a record, in the order the reads are expected; false once over maxBytes.
    bool Keep(std::string fileName, std::string record, const FileStamp& stamp);
    // Moves the kept record of item file `fileName` of the directory into record.
    bool Take(const DirectoryId& directory, int dirFd, const std::string& fileName,
              std::string& record);
    void Forget(std::string_view fileName);

private:
    struct Kept {
        std::string fileName;
        std::string record;
        FileStamp stamp;
        bool valid = true;
    };
    Kept* Find(std::string_view fileName);
    bool ForgetChanged();

    std::size_t maxBytes_;
    DirectoryId directory_;
    ChangeWatch watch_;
    std::vector<Kept> kept_;
    std::size_t next_ = 0;  // where the next read in list order will be
    std::unordered_map<std::string_view, std::size_t>
        index_;  // built at the first read out of order
    std::size_t bytes_ = 0;
    std::vector<std::string> changed_;
};

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "SelectSnapshot.h"

namespace mv {

void SelectSnapshot::Clear() {
    kept_.clear();
    bytes_ = 0;
}

bool SelectSnapshot::Keep(std::string fileName, std::string record, const FileStamp& stamp) {
    const std::size_t cost = fileName.size() + record.size();
    if (bytes_ + cost > kMaxBytes) return false;
    bytes_ += cost;
    kept_.insert_or_assign(std::move(fileName), Kept{std::move(record), stamp});
    return true;
}

bool SelectSnapshot::Take(int dirFd, const std::string& fileName, std::string& record) {
    if (kept_.empty()) return false;
    const auto found = kept_.find(fileName);
    if (found == kept_.end()) return false;
    FileStamp now;
    // The stamp carries device and inode, so an item of another directory never matches.
    const bool unchanged = StampItemFile(dirFd, fileName.c_str(), now) && now == found->second.stamp;
    if (unchanged) record = std::move(found->second.record);
    kept_.erase(found);
    return unchanged;
}

void SelectSnapshot::Forget(const std::string& fileName) { kept_.erase(fileName); }

}  // namespace mv

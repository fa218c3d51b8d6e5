// SPDX-License-Identifier: MIT
#include "platform/mv/SelectSnapshot.h"

namespace mv {

bool SelectSnapshot::Begin(int dirFd, const DirectoryId& directory, Watching watching) {
    Clear();
    directory_ = directory;
    return watching == Watching::IfPossible && watch_.Start(dirFd);
}

void SelectSnapshot::Clear() {
    watch_.Stop();
    kept_.clear();
    index_.clear();
    next_ = 0;
    bytes_ = 0;
}

bool SelectSnapshot::Keep(std::string fileName, std::string record, const FileStamp& stamp) {
    const std::size_t cost = fileName.size() + record.size();
    if (bytes_ + cost > maxBytes_) {
        return false;
    }
    bytes_ += cost;
    kept_.push_back({std::move(fileName), std::move(record), stamp, true});
    return true;
}

SelectSnapshot::Kept* SelectSnapshot::Find(std::string_view fileName) {
    if (next_ < kept_.size() && kept_[next_].fileName == fileName) {
        return &kept_[next_++];
    }
    if (index_.empty()) {
        index_.reserve(kept_.size());
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            index_.emplace(kept_[i].fileName, i);
        }
    }
    const auto found = index_.find(fileName);
    return found == index_.end() ? nullptr : &kept_[found->second];
}

// False when the snapshot had to be dropped whole.
bool SelectSnapshot::ForgetChanged() {
    if (!watch_.Active()) {
        return true;
    }
    changed_.clear();
    if (!watch_.Poll(changed_)) {
        Clear();
        return false;
    }
    for (const std::string& name : changed_) {
        Forget(name);
    }
    return true;
}

bool SelectSnapshot::Take(const DirectoryId& directory, int dirFd, const std::string& fileName,
                          std::string& record) {
    if (kept_.empty() || !(directory == directory_)) {
        return false;
    }
    if (!ForgetChanged()) {
        return false;
    }
    Kept* kept = Find(fileName);
    if (kept == nullptr || !kept->valid) {
        return false;
    }
    kept->valid = false;  // handed out once: a second read goes to disk
    if (!watch_.Active()) {
        FileStamp now;
        if (!StampItemFile(dirFd, fileName.c_str(), now) || !(now == kept->stamp)) {
            return false;
        }
    }
    record = std::move(kept->record);
    return true;
}

void SelectSnapshot::Forget(std::string_view fileName) {
    if (kept_.empty()) {
        return;
    }
    if (Kept* kept = Find(fileName)) {
        kept->valid = false;
        kept->record = std::string();
    }
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/DirectoryItemSource.h"

#include "platform/mv/DirectoryListing.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"

namespace mv {

const std::string* DirectoryItemSource::Find(const std::string& id) {
    const std::string* record = nullptr;
    return Load(id, record) == kOk ? record : nullptr;
}

bool DirectoryItemSource::Unreadable(const std::string& id) {
    const auto found = cache_.find(id);
    return found != cache_.end() && found->second.error == kReadFailed;
}

int DirectoryItemSource::Load(const std::string& id, const std::string*& record) {
    record = nullptr;
    auto found = cache_.find(id);
    if (found == cache_.end()) {
        // An id that cannot be a file name cannot be an item either; it is not kept, so
        // a stream of impossible names costs no memory.
        if (complete_ || !EscapeItemId(id, name_)) {
            return kRecordNotFound;
        }
        Cached cached;
        cached.error = ReadItemFile(dirFd_, name_.c_str(), cached.record, nullptr);
        FileBytesToRecord(cached.record);
        found = cache_.emplace(id, std::move(cached)).first;
    }
    if (found->second.error != kOk) {
        return found->second.error;
    }
    record = &found->second.record;
    return kOk;
}

bool DirectoryItemSource::LoadAll(std::vector<std::string>& ids) {
    std::vector<ItemFileEntry> entries;
    if (!ListItemFiles(dirFd_, entries)) {
        return false;
    }
    ids.clear();
    ids.reserve(entries.size());
    cache_.reserve(entries.size());
    std::string scratch;
    for (ItemFileEntry& entry : entries) {
        Cached& cached = cache_[entry.id];
        if (cached.error != kOk || cached.record.empty()) {
            cached.error =
                ReadListedItemFile(dirFd_, entry.fileName.c_str(), cached.record, scratch);
            FileBytesToRecord(cached.record);
        }
        ids.push_back(std::move(entry.id));
    }
    complete_ = true;
    return true;
}

}  // namespace mv

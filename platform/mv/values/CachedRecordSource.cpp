// SPDX-License-Identifier: MIT
#include "platform/mv/values/CachedRecordSource.h"

#include <charconv>

#include "platform/mv/ErrorCodes.h"

namespace mv::values {

int CachedRecordSource::Read(const std::string& file, bool dictionary, const std::string& id,
                             std::string& record) {
    // The file's length first, so no file name and id run together into another pair.
    char length[24];
    key_.assign(length, std::to_chars(length, length + sizeof length, file.size()).ptr);
    key_ += dictionary ? 'D' : 'F';
    key_ += file;
    key_ += id;
    if (const auto found = kept_.find(key_); found != kept_.end()) {
        record = found->second.record;
        return found->second.code;
    }
    const int code = source_.Read(file, dictionary, id, record);
    const std::size_t size = key_.size() + record.size();
    if ((code == kOk || code == kRecordNotFound) && size <= budget_ - used_) {
        used_ += size;
        kept_.emplace(key_, Kept{code, record});
    }
    return code;
}

}  // namespace mv::values

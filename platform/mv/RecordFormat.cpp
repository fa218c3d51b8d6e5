// SPDX-License-Identifier: MIT
#include "platform/mv/RecordFormat.h"

#include <cstring>

#include "platform/mv/DynamicArray.h"

namespace mv {

FieldSpan FindField(std::string_view record, int n) {
    const char* data = record.data();
    const std::size_t size = record.size();
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const void* mark = std::memchr(data + start, DynamicArray::kFieldMark, size - start);
        if (mark == nullptr) {
            return {};
        }
        start = static_cast<std::size_t>(static_cast<const char*>(mark) - data) + 1;
    }
    const void* end = std::memchr(data + start, DynamicArray::kFieldMark, size - start);
    const std::size_t stop =
        end == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(end) - data);
    return {true, start, stop - start};
}

void FileBytesToRecord(std::string& bytes) {
    char* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    while (at < size) {
        void* lf = std::memchr(data + at, '\n', size - at);
        if (lf == nullptr) {
            break;
        }
        char* mark = static_cast<char*>(lf);
        *mark = DynamicArray::kFieldMark;
        at = static_cast<std::size_t>(mark - data) + 1;
    }
}

bool RecordToFileBytes(std::string_view record, std::string& bytes) {
    if (record.find('\n') != std::string_view::npos) {
        return false;
    }
    bytes.assign(record);
    for (char& c : bytes) {
        if (c == DynamicArray::kFieldMark) {
            c = '\n';
        }
    }
    return true;
}

}  // namespace mv

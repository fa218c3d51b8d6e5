// SPDX-License-Identifier: MIT
#include "core/ListingLine.h"

#include <cstring>

#include "platform/mv/DynamicArray.h"

namespace exporting {

void AppendListingLine(std::string& line, std::string_view itemId, std::string_view record) {
    line += itemId;
    // One pass over the record gives the same texts as Field(n).StringValue for n = 1..10.
    std::size_t start = 0;
    bool more = true;  // a record without fields still has an empty field 1
    for (int n = 1; n <= kListedFields; ++n) {
        line += '\t';
        if (!more) {
            continue;
        }
        const void* mark = start < record.size()
                               ? std::memchr(record.data() + start, mv::DynamicArray::kFieldMark,
                                             record.size() - start)
                               : nullptr;
        const std::size_t end =
            mark == nullptr
                ? record.size()
                : static_cast<std::size_t>(static_cast<const char*>(mark) - record.data());
        line.append(record.data() + start, end - start);
        more = mark != nullptr;
        start = end + 1;
    }
    line += "\r\n";
}

}  // namespace exporting

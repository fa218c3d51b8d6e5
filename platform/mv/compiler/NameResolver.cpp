// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/NameResolver.h"

#include "platform/mv/DynamicArray.h"

namespace mv {

std::string_view TypeCodeOf(std::string_view record) {
    // A plain scan: find_first_of looks the byte up in its set once per byte of the record.
    std::size_t end = 0;
    while (end < record.size() && record[end] != '\xFE' && record[end] != ' ') {
        ++end;
    }
    return record.substr(0, end);
}

bool IsFieldType(std::string_view typeCode) {
    return typeCode == "D" || typeCode == "A" || typeCode == "S" || IsDescriptorType(typeCode);
}

bool IsDescriptorType(std::string_view typeCode) {
    return typeCode == "I" || typeCode == "V";
}

}  // namespace mv

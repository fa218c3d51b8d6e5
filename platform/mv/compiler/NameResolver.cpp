// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/NameResolver.h"

#include "platform/mv/DynamicArray.h"

namespace mv {

std::string_view TypeCodeOf(std::string_view record) {
    const std::size_t end = record.find_first_of(std::string_view("\xFE ", 2));
    return record.substr(0, end);
}

bool IsFieldType(std::string_view typeCode) {
    return typeCode == "D" || typeCode == "A" || typeCode == "S" || IsDescriptorType(typeCode);
}

bool IsDescriptorType(std::string_view typeCode) {
    return typeCode == "I" || typeCode == "V";
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "dictionary/RecordFields.h"

#include <string_view>

#include "connection/TextBridge.h"
#include "platform/mv/DynamicArray.h"

namespace dictionary {

QStringList FieldTexts(const mv::DynamicArray& record, int lastField) {
    QStringList fields;
    fields.reserve(lastField);
    const std::string_view text = record.Text();
    std::size_t start = 0;
    while (fields.size() < lastField && start <= text.size()) {
        std::size_t end = text.find(mv::DynamicArray::kFieldMark, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        fields << TextBridge::ToText(text.substr(start, end - start));
        start = end + 1;
    }
    while (fields.size() < lastField) {
        fields << QString();
    }
    return fields;
}

}  // namespace dictionary

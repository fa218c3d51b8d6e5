// SPDX-License-Identifier: MIT
#include "dictionary/Classification.h"

#include "connection/TextBridge.h"

namespace dictionary {

QString TypeCode(const QString& field1) {
    return TextBridge::ToText(core::TypeCodeOf(TextBridge::ToBytes(field1)));
}

Placement Classify(const QString& field1, const QString& itemId, const QString& fileName) {
    return core::Classify(TextBridge::ToBytes(field1), TextBridge::ToBytes(itemId),
                          TextBridge::ToBytes(fileName));
}

}  // namespace dictionary

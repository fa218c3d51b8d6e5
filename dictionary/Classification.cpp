// SPDX-License-Identifier: MIT
#include "dictionary/Classification.h"

#include "connection/TextBridge.h"

namespace dictionary {

QString TypeCode(const QString& field1) {
    return TextBridge::ToText(core::TypeCodeOf(TextBridge::ToBytes(field1)));
}

bool CarriesCompiledForm(const QString& field1) {
    const QString code = TypeCode(field1);
    return code == QLatin1String("I") || code == QLatin1String("V");
}

Placement Classify(const QString& field1, const QString& itemId, const QString& fileName) {
    return core::Classify(TextBridge::ToBytes(field1), TextBridge::ToBytes(itemId),
                          TextBridge::ToBytes(fileName));
}

}  // namespace dictionary

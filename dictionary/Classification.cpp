// SPDX-License-Identifier: MIT
#include "Classification.h"

namespace dictionary {

QString TypeCode(const QString& field1) {
    const qsizetype blank = field1.indexOf(QLatin1Char(' '));
    return blank < 0 ? field1 : field1.left(blank);
}

Placement Classify(const QString& field1, const QString& itemId, const QString& fileName) {
    const QString code = TypeCode(field1);
    if (code == QLatin1String("A") || code == QLatin1String("S")) {
        return {ViewKind::AS, false};
    }
    if (code == QLatin1String("D") || code == QLatin1String("I") || code == QLatin1String("V")) {
        if (itemId == fileName) {
            return {std::nullopt, false};
        }
        return {ViewKind::DIV, false};
    }
    if (code == QLatin1String("PH")) {
        return {ViewKind::PH, false};
    }
    return {ViewKind::Other, itemId == QLatin1String(kEmptyNullId)};
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "DatabaseType.h"

namespace dictionary {

DatabaseKind KindOf(const QString& databaseType) {
    if (databaseType.compare(QLatin1String("UniVerse"), Qt::CaseInsensitive) == 0) {
        return DatabaseKind::UniVerse;
    }
    if (databaseType.compare(QLatin1String("UniData"), Qt::CaseInsensitive) == 0) {
        return DatabaseKind::UniData;
    }
    return DatabaseKind::Neither;
}

QString SelectCommandFor(DatabaseKind kind, const QString& fileName) {
    switch (kind) {
        case DatabaseKind::UniVerse:
            return QStringLiteral("SSELECT DICT ") + fileName +
                   QStringLiteral(" BY F1 BY RLOCATION");
        case DatabaseKind::UniData:
            return QStringLiteral("SSELECT DICT ") + fileName + QStringLiteral(" BY LOC BY @ID");
        case DatabaseKind::Neither:
            break;
    }
    return {};
}

QString UnknownTypeMessage(const QString& databaseType) {
    return QStringLiteral(
               "The database type \"%1\" is neither UniVerse nor UniData, so Kelvora "
               "cannot tell how to list the dictionary's items. Log in again with "
               "the type UniVerse or UniData.")
        .arg(databaseType);
}

}  // namespace dictionary

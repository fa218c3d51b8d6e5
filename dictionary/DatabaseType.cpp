// SPDX-License-Identifier: MIT
#include "dictionary/DatabaseType.h"

#include "connection/TextBridge.h"
#include "core/DatabaseKind.h"

namespace dictionary {

DatabaseKind KindOf(const QString& databaseType) {
    if (!TextBridge::IsLatin1(databaseType)) {
        return DatabaseKind::Neither;
    }
    const std::optional<core::DatabaseKind> kind = core::KindOf(TextBridge::ToBytes(databaseType));
    if (!kind) {
        return DatabaseKind::Neither;
    }
    return *kind == core::DatabaseKind::UniVerse ? DatabaseKind::UniVerse : DatabaseKind::UniData;
}

QString SelectCommandFor(DatabaseKind kind, const QString& fileName) {
    if (kind == DatabaseKind::Neither) {
        return {};
    }
    const core::DatabaseKind known =
        kind == DatabaseKind::UniVerse ? core::DatabaseKind::UniVerse : core::DatabaseKind::UniData;
    return TextBridge::ToText(core::SelectCommandFor(known, TextBridge::ToBytes(fileName)));
}

QString UnknownTypeMessage(const QString& databaseType) {
    return QStringLiteral(
               "The database type \"%1\" is neither UniVerse nor UniData, so Kelvora "
               "cannot tell how to list the dictionary's items. Log in again with "
               "the type UniVerse or UniData.")
        .arg(databaseType);
}

}  // namespace dictionary

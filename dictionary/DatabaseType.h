// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace dictionary {

enum class DatabaseKind { UniVerse, UniData, Neither };

// The database type as typed at login, compared without regard to case.
DatabaseKind KindOf(const QString& databaseType);

// The command that selects every item of a dictionary in the order the views show them;
// empty for a type that is neither of the two.
QString SelectCommandFor(DatabaseKind kind, const QString& fileName);

// What the user is told when the type is neither: which type, and the two that work.
QString UnknownTypeMessage(const QString& databaseType);

}  // namespace dictionary

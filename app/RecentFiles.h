// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The dictionaries the user opened last, newest first, kept per account ("host:path",
// or the path alone for the local engine) in the user's config folder, beside the
// window's placement: they belong to the user, not to the program's folder.
inline constexpr int kRecentFileCount = 8;

QStringList RecentFiles(const QString& account);
// Puts file at the top of the account's list; an earlier entry of it goes, and the
// list keeps its newest kRecentFileCount names.
void AddRecentFile(const QString& account, const QString& file);

}  // namespace app

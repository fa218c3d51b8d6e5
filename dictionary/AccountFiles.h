// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

struct Variables;

namespace dictionary {

// The names of the account's files, as SSELECT VOC lists them (a server lists every
// name of its VOC; the local engine the files it holds dictionaries for). Empty when
// they cannot be listed: the names only help the user type one, so no box says so.
// The select replaces select list 0.
QStringList AccountFileNames(Variables& vars);

// The first of `names` that is `typed` but for letter case, if any.
std::optional<QString> SameNameOtherCase(const QStringList& names, const QString& typed);

// After an open of `typed` failed because there is no such file: when the account's
// `names` hold that name in other letter case, asks "Did you mean ORDERS?" (Yes/No) and
// gives that name for Yes.
std::optional<QString> AskForNameInOtherCase(Variables& vars, const QStringList& names,
                                             const QString& typed);

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct Variables;

namespace dictionary {

// True when fileName can name a file of the account (every character a byte); otherwise
// tells the user, adding `consequence` (such as "Nothing was compiled.") when given.
bool RequireByteFileName(Variables& vars, const QString& fileName,
                         const QString& consequence = QString());

}  // namespace dictionary

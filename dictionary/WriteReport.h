// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace dictionary {

struct DictionaryContext;

// Tells the user that a write or delete succeeded: in a box with the title (the
// default), or, when the user chose so, as a note in the status bar; the journal records
// the change either way.
void ReportWritten(const DictionaryContext& context, const QString& message, const QString& title);

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace grid {
class RowArray;
}

namespace dictionary {

class DictionaryScreen;

// The first entry of the phrase list, which reads the dictionary again.
inline const QString kRefreshEntry = QStringLiteral("All (Refresh)");

// Rebuilds the phrase list from the PH rows: "All (Refresh)" and then every PH item id
// in row order, with "ALL" shown in the box (a text that is not one of the entries).
void Fill_ComboPH(DictionaryScreen& screen, const grid::RowArray& phRows);

}  // namespace dictionary

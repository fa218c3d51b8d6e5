// SPDX-License-Identifier: MIT
#include "PhraseList.h"

#include <QStringList>

#include "DictionaryScreen.h"
#include "RowArray.h"

namespace dictionary {

void Fill_ComboPH(DictionaryScreen& screen, const grid::RowArray& phRows) {
    QStringList entries{kRefreshEntry};
    entries.reserve(phRows.RowCount() + 1);
    for (int row = 0; row <= phRows.HighestRow(); ++row) {
        entries << phRows.Cell(row, 0);
    }
    screen.SetPhraseEntries(entries, QStringLiteral("ALL"));
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "dictionary/PhraseList.h"

#include <QStringList>

#include "dictionary/DictionaryScreen.h"
#include "platform/grid/RowArray.h"

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

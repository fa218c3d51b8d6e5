// SPDX-License-Identifier: MIT
#include "PhraseList.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

#include "RowArray.h"

namespace dictionary {

void Fill_ComboPH(QComboBox& cmbPhrase, const grid::RowArray& phRows) {
    QStringList entries{QStringLiteral("All (Refresh)")};
    entries.reserve(phRows.RowCount() + 1);
    for (int row = 0; row <= phRows.HighestRow(); ++row) {
        entries << phRows.Cell(row, 0);
    }
    // Refilling is not a choice of the user's: nothing that listens for one may react.
    const QSignalBlocker quiet(cmbPhrase);
    cmbPhrase.clear();
    cmbPhrase.addItems(entries);
    cmbPhrase.setCurrentIndex(-1);
    cmbPhrase.setEditText(QStringLiteral("ALL"));
}

}  // namespace dictionary

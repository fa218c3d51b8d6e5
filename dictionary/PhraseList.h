// SPDX-License-Identifier: MIT
#pragma once

class QComboBox;

namespace grid {
class RowArray;
}

namespace dictionary {

// Rebuilds the phrase list from the PH rows: "All (Refresh)" and then every PH item id
// in row order, with "ALL" shown in the box (a text that is not one of the entries).
void Fill_ComboPH(QComboBox& cmbPhrase, const grid::RowArray& phRows);

}  // namespace dictionary

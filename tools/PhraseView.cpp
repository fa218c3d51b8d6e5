// SPDX-License-Identifier: MIT
#include "tools/PhraseView.h"

#include "dictionary/DictionaryOpener.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "tools/NarrowedRows.h"
#include "tools/ToolSupport.h"

namespace tools {

void PhraseView::cmbPhrase_Click(int index) {
    // The entries exist only once a dictionary is open; nothing to narrow or read before.
    const QStringList entries = screen_.PhraseEntries();
    if (!open_.IsOpen() || index < 0 || index >= entries.size()) {
        return;
    }
    if (index == 0) {
        Refresh();
    } else {
        Narrow(entries[index]);
    }
}

void PhraseView::Refresh() {
    const auto& grids = screen_.Grids();
    if (!SettlePendingRows({grids[0], grids[1], grids[2], grids[3]})) {
        return;
    }
    opener_.ReadAgain();
}

void PhraseView::Narrow(const QString& chosen) {
    const auto& grids = screen_.Grids();
    if (!SettlePendingRows({grids[0], grids[2]})) {
        return;
    }
    const std::optional<QStringList> words = WordsOf(chosen);
    if (!words) {
        return;
    }
    for (const dictionary::ViewKind view : {dictionary::ViewKind::AS, dictionary::ViewKind::DIV}) {
        const grid::RowArray& rows = *open_.views->Rows(view);
        if (rows.RowCount() == 0) {
            continue;
        }
        grids[static_cast<std::size_t>(dictionary::ViewIndex(view))]->Bind(
            NarrowedRows(rows, dictionary::LayoutOf(view).LastColumn(), *words));
    }
}

std::optional<QStringList> PhraseView::WordsOf(const QString& chosen) const {
    const grid::RowArray& phRows = *open_.views->Rows(dictionary::ViewKind::PH);
    std::optional<QStringList> words;
    for (int row = 0; row <= phRows.HighestRow(); ++row) {
        if (phRows.Cell(row, 0) == chosen) {
            words = PhraseWords(phRows.Cell(row, dictionary::kPhraseColumn));
        }
    }
    return words;
}

}  // namespace tools

// SPDX-License-Identifier: MIT
#include "tools/PhraseView.h"

#include "dictionary/DictionaryOpener.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownRows.h"
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
    open_.shown.phraseWords = *words;
    for (const dictionary::ViewKind view : {dictionary::ViewKind::AS, dictionary::ViewKind::DIV}) {
        // A view without items keeps its grid: a row typed there goes to the view itself.
        if (open_.views->Rows(view)->RowCount() != 0) {
            dictionary::BindShownRows(open_, screen_, view);
        }
    }
}

std::optional<QStringList> PhraseView::WordsOf(const QString& chosen) const {
    const grid::RowArray& phRows = *open_.views->Rows(dictionary::ViewKind::PH);
    std::optional<QStringList> words;
    for (int row = 0; row <= phRows.HighestRow(); ++row) {
        if (phRows.CellEquals(row, 0, chosen)) {
            words = PhraseWords(phRows.Cell(row, dictionary::kPhraseColumn));
        }
    }
    return words;
}

}  // namespace tools

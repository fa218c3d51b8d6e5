// SPDX-License-Identifier: MIT
#include "PhraseView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "DataGrid.h"
#include "FileNameCheck.h"
#include "Hourglass.h"
#include "DatabaseType.h"
#include "DictionaryOpener.h"
#include "DictionaryReader.h"
#include "MainControls.h"
#include "NarrowedRows.h"
#include "OpenDictionary.h"
#include "PhraseList.h"
#include "ToolSupport.h"
#include "Variables.h"
#include "ViewLayout.h"

namespace tools {

namespace {
constexpr int kPhraseColumn = 2;
}

void PhraseView::cmbPhrase_Click(int index) {
    // The entries exist only once a dictionary is open; nothing to narrow or read before.
    if (!open_.IsOpen() || index < 0 || index >= controls_.cmbPhrase->count()) {
        return;
    }
    if (index == 0) {
        Refresh();
    } else {
        Narrow(controls_.cmbPhrase->itemText(index));
    }
}

void PhraseView::txtResult_Click() {
    controls_.txtResult->setPlainText(QString());
    controls_.txtResult->setVisible(false);
}

void PhraseView::Refresh() {
    const QString fileName = controls_.txtFilename->text();
    if (!dictionary::RequireByteFileName(vars_, fileName)) {
        return;
    }
    auto& grids = controls_.TDBGrid1;
    if (!SettlePendingRows({grids[0], grids[1], grids[2], grids[3]})) {
        return;
    }
    const ui::Hourglass hourglass(vars_.dialogs);
    auto views = std::make_shared<dictionary::ViewSet>();
    if (dictionary::KindOf(vars_.DatabaseType) == dictionary::DatabaseKind::Neither) {
        vars_.dialogs.MsgBox(dictionary::UnknownTypeMessage(vars_.DatabaseType), ui::Buttons::OK,
                             ui::Icon::Exclamation, ui::kProgramTitle);
    } else {
        dictionary::Read_Dictionary(vars_, fileName, *open_.file, *views);
    }
    open_.views = std::move(views);
    dictionary::Fill_ComboPH(*controls_.cmbPhrase, *open_.views->Rows(dictionary::ViewKind::PH));
    opener_.BindGrids();
}

void PhraseView::Narrow(const QString& chosen) {
    auto& grids = controls_.TDBGrid1;
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
            words = PhraseWords(phRows.Cell(row, kPhraseColumn));
        }
    }
    return words;
}

}  // namespace tools

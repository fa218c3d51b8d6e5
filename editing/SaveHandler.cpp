// SPDX-License-Identifier: MIT
#include "SaveHandler.h"

#include <array>

#include <QLineEdit>

#include "CompileOffer.h"
#include "CopyUnderNewName.h"
#include "DataGrid.h"
#include "DictionaryFile.h"
#include "Functions.h"
#include "ItemRecord.h"
#include "MainControls.h"
#include "OpenDictionary.h"
#include "PhraseList.h"
#include "TextBridge.h"
#include "UnexpectedFailure.h"
#include "Variables.h"
#include "ViewLayout.h"

namespace editing {

namespace {

using dictionary::ViewKind;

// What a view does besides writing its row; the number of fields written is the
// view's last column.
struct ViewRules {
    bool copiesFromIdColumn;  // leaving from column 0 copies rather than refuses
    bool refillsPhraseList;
    bool offersCompile;
};

constexpr std::array<ViewRules, dictionary::kViewCount> kRules{{
    {false, false, false},  // A/S
    {false, true, false},   // PH
    {true, false, true},    // D/I/V
    {false, false, false},  // Other
}};

const ViewRules& RulesOf(ViewKind view) {
    return kRules[static_cast<std::size_t>(dictionary::ViewIndex(view))];
}

}  // namespace

void SaveHandler::BeforeSave(int viewIndex, bool* cancel) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    grid::DataGrid* grid = controls_.TDBGrid1[static_cast<std::size_t>(viewIndex)];
    const bool finished =
        RunGuarded(vars_.dialogs, [&] { Save(dictionary::ViewAt(viewIndex), *grid, cancel); });
    if (!finished) {
        // What the account holds after the failure is unknown: keep the typed row.
        *cancel = true;
    }
}

void SaveHandler::Save(ViewKind view, grid::DataGrid& grid, bool* cancel) {
    const ViewRules& rules = RulesOf(view);
    ui::Dialogs& dialogs = vars_.dialogs;
    if (grid.Col() == 0) {
        if (rules.copiesFromIdColumn) {
            copy_.Run(grid, cancel);
            return;
        }
        dialogs.MsgBox(QStringLiteral("You can't change the item id, if you want to add an "
                                      "item, go to the bottom"),
                       ui::Buttons::OK, ui::Icon::Critical,
                       QStringLiteral("Operation not allowed"));
        grid.ReBind();
        return;
    }
    if (dialogs.MsgBox(QStringLiteral("Save?"), ui::Buttons::YesNo, ui::Icon::None,
                       ui::kProgramTitle) != ui::Answer::Yes) {
        grid.ReBind();
        return;
    }
    grid.SetCol(0);
    const QString itemId = grid.Text();
    if (itemId.isEmpty()) {
        dialogs.MsgBox(QStringLiteral("The row has no item id. Type the item id into the "
                                      "column Dict Item and leave the row again, or press "
                                      "Esc to drop the row."),
                       ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
        *cancel = true;
        return;
    }

    const int lastField = dictionary::LayoutOf(view).LastColumn();
    const mv::DynamicArray record = ItemRecordFromGrid(grid, lastField);
    mv::DictionaryFile& file = *open_.file;
    file.SetRecordId(TextBridge::ToBytes(itemId));
    file.SetRecord(record);
    file.Write();
    const QString writtenId = TextBridge::ToText(file.RecordId());
    if (file.Error() != 0) {
        Show_ServerError(vars_, file.Error(), controls_.txtFilename->text(), writtenId);
        *cancel = true;
        return;
    }
    if (open_.views->Counter(view) == 0) {
        AddFirstRow(view, grid, writtenId, FieldTexts(record, lastField));
    }

    dialogs.MsgBox(writtenId + QStringLiteral(" record updated"), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("Written"));
    if (rules.refillsPhraseList) {
        RefillPhraseList();
    }
    if (rules.offersCompile && CompileOffer::Wanted(record.FieldValue(1))) {
        compile_.Offer(itemId);
    }
}

void SaveHandler::AddFirstRow(ViewKind view, grid::DataGrid& grid, const QString& itemId,
                              const QStringList& fields) {
    dictionary::ViewSet& views = *open_.views;
    // Only an empty array of the view itself takes the row here: a grid showing a
    // narrowed copy stores the row in the copy, and rows an array holds are never
    // overwritten by the add.
    if (grid.BoundArray() != views.Rows(view) || views.Rows(view)->RowCount() != 0) {
        return;
    }
    views.AddRow(view, itemId, fields);
    // Shows the row once, from the array: the grid's pending copy is dropped.
    grid.ReBind();
}

void SaveHandler::AfterSave(int viewIndex) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    RunGuarded(vars_.dialogs, [&] {
        const ViewKind view = dictionary::ViewAt(viewIndex);
        dictionary::ViewSet& views = *open_.views;
        views.SetCounter(view, views.Rows(view)->RowCount());
        if (RulesOf(view).refillsPhraseList) {
            RefillPhraseList();
        }
    });
}

void SaveHandler::RefillPhraseList() {
    dictionary::Fill_ComboPH(*controls_.cmbPhrase, *open_.views->Rows(ViewKind::PH));
}

}  // namespace editing

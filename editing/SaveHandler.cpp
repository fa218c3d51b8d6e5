// SPDX-License-Identifier: MIT
#include "editing/SaveHandler.h"

#include <array>

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "core/FieldMerge.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/Classification.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/RecordFields.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/WriteReport.h"
#include "editing/ChangesToWrite.h"
#include "editing/CompileOffer.h"
#include "editing/CopyUnderNewName.h"
#include "editing/DroppedChange.h"
#include "editing/ItemRecord.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/mv/DictionaryFile.h"

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
    grid::DataGrid* grid = &screen_.Grid(dictionary::ViewAt(viewIndex));
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
    if (copyAsWanted_) {
        copy_.Run(CopyUnderNewName::Start::CopyAs, view, grid, cancel);
        return;
    }
    // Leaving a row from its id column by moving in the grid offers a copy (or is
    // refused); a command settling the row saves it under its own id, unless that id was
    // overtyped, which no save can do in place.
    const bool byCommand = grid.CurrentCommitCause() == grid::CommitCause::Command;
    if (grid.Col() == 0 && (!byCommand || IdOvertyped(grid))) {
        if (rules.copiesFromIdColumn) {
            copy_.Run(byCommand ? CopyUnderNewName::Start::Command
                                : CopyUnderNewName::Start::LeavingIdColumn,
                      view, grid, cancel);
            return;
        }
        dialogs.MsgBox(QStringLiteral("You can't change the item id, if you want to add an "
                                      "item, go to the bottom"),
                       ui::Buttons::OK, ui::Icon::Critical,
                       QStringLiteral("Operation not allowed"));
        // Only the id goes back: the other typed values stay, and the row stays pending.
        grid.RevertPendingCell(0);
        *cancel = true;
        return;
    }
    if (vars_.options.confirmSaves &&
        dialogs.MsgBoxWithDetail(QStringLiteral("Save?"), ui::Buttons::YesNo, ui::Icon::None,
                                 ui::kProgramTitle,
                                 SaveDetail(open_, grid, view)) != ui::Answer::Yes) {
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
    const mv::DynamicArray typed = ItemRecordFromGrid(grid, lastField);
    const std::string id = TextBridge::ToBytes(itemId);
    dictionary::ShownItems shown(open_, screen_.Grids());

    // The row names a new item when it is the new-row line or its id was overtyped.
    const bool newRow = grid.PendingRowIsNew();
    const bool namesNewItem = newRow || grid.BoundArray()->Cell(grid.CurrentRow(), 0) != itemId;
    const dictionary::ChangeLock lock(open_, id);
    const dictionary::AccountItem now = ReadBeforeChange(Context(), id);
    if (now.error != 0) {
        // Nothing is written over an item whose state cannot be seen.
        *cancel = true;
        return;
    }
    if (namesNewItem) {
        if (now.Exists() && !dictionary::AskToReplace(dialogs, open_, id, *now.record, typed)) {
            *cancel = true;  // the user may type another id
            return;
        }
    } else if (!dictionary::UnchangedSinceRead(open_.views->Records(), id, now)) {
        const std::string* read = open_.views->Records().Find(id);
        const std::optional<std::string> asRead =
            read != nullptr ? std::optional<std::string>(*read) : std::nullopt;
        const dictionary::ChangeDecision decision =
            dictionary::DecideOnChange(dialogs, open_, id, dictionary::ChangeKind::Write, asRead,
                                       now, YoursOf(typed, lastField, asRead));
        switch (decision.answer) {
            case dictionary::ChangedAnswer::Overwrite:
                Write(view, grid, id, RecordToWrite(view, typed, lastField, decision.now),
                      decision.now, false, cancel);
                return;
            case dictionary::ChangedAnswer::Merge: {
                const mv::DynamicArray merged(decision.merged.value_or(std::string()));
                if (Write(view, grid, id, merged, decision.now, false, cancel)) {
                    // The row shows what was written, their fields included, not what was
                    // typed: every row of the item takes it and the grid drops its copy.
                    shown.Show(id, merged);
                    grid.ReBind();
                }
                return;
            }
            case dictionary::ChangedAnswer::ShowAccount:
                shown.ShowAccount(id, decision.now.record);
                grid.ReBind();
                return;
            case dictionary::ChangedAnswer::KeepPending:
                *cancel = true;
                return;
        }
    }
    Write(view, grid, id, namesNewItem ? typed : RecordToWrite(view, typed, lastField, now), now,
          namesNewItem, cancel);
}

bool SaveHandler::Write(ViewKind view, grid::DataGrid& grid, const std::string& id,
                        const mv::DynamicArray& record, const dictionary::AccountItem& now,
                        bool namesNewItem, bool* cancel) {
    const ViewRules& rules = RulesOf(view);
    const QString itemId = TextBridge::ToText(id);
    mv::DictionaryFile& file = *open_.file;
    const dictionary::JournaledChange change = dictionary::WriteItem(open_, id, now.record, record);
    const QString writtenId = TextBridge::ToText(file.RecordId());
    const ChangeResult result =
        ResultOfChange(Context(), change, id, writtenId, record, ChangeMade::Write);
    if (result == ChangeResult::Failed) {
        *cancel = true;
        return false;
    }
    const bool confirmed = result == ChangeResult::ConfirmedAfterDrop;
    ShowWritten(view, grid, id, record, namesNewItem);

    if (!confirmed) {
        dictionary::ReportWritten(Context(), writtenId + QStringLiteral(" record updated"),
                                  QStringLiteral("Written"));
    }
    if (rules.refillsPhraseList) {
        RefillPhraseList();
    }
    if (rules.offersCompile && CompileOffer::Wanted(record.FieldValue(1))) {
        compile_.Offer(itemId);
    }
    return true;
}

std::string SaveHandler::YoursOf(const mv::DynamicArray& typed, int lastField,
                                 const std::optional<std::string>& asRead) {
    if (!asRead) {
        return typed.Text();
    }
    // The item as read with the cells the user changed: a cell left empty where the item
    // has no such field is no change, and the fields past the view are as read.
    const mv::DynamicArray read(*asRead);
    std::vector<std::pair<std::size_t, std::optional<std::string>>> changed;
    for (int n = 1; n <= lastField; ++n) {
        const auto field = static_cast<std::int16_t>(n);
        if (typed.FieldValue(field) != read.FieldValue(field)) {
            changed.emplace_back(static_cast<std::size_t>(n), typed.FieldValue(field));
        }
    }
    return core::WithFields(*asRead, changed);
}

mv::DynamicArray SaveHandler::RecordToWrite(ViewKind view, const mv::DynamicArray& typed,
                                            int lastField, const dictionary::AccountItem& now) {
    if (!now.Exists()) {
        return typed;
    }
    // Fields 9 on of an I or V descriptor hold its compiled form, which the typed fields
    // no longer match: the compile that follows the save writes them anew.
    if (view == ViewKind::DIV &&
        (dictionary::CarriesCompiledForm(TextBridge::ToText(typed.FieldValue(1))) ||
         dictionary::CarriesCompiledForm(TextBridge::ToText(now.record->FieldValue(1))))) {
        return typed;
    }
    return WithFieldsAfter(typed, lastField, *now.record);
}

void SaveHandler::ShowWritten(ViewKind view, grid::DataGrid& grid, const std::string& id,
                              const mv::DynamicArray& record, bool namesNewItem) {
    dictionary::ShownItems shown(open_, screen_.Grids());
    const QString itemId = TextBridge::ToText(id);
    grid::RowArray& gridRows = *grid.BoundArray();
    if (namesNewItem && dictionary::ShownItems::Holds(gridRows, itemId)) {
        // The grid shows the item already: that row takes the values, and the typed row
        // is dropped, so the item is shown once.
        shown.Show(id, record);
        grid.ReBind();
        return;
    }
    if (namesNewItem && !grid.PendingRowIsNew()) {
        // The id was typed over another item's row: that item stays in the account and
        // keeps its row as it was; the new item gets a row of its own after the last.
        const int lastColumn = dictionary::LayoutOf(view).LastColumn();
        const QStringList fields = dictionary::FieldTexts(record, lastColumn);
        const int added = gridRows.RowCount();
        gridRows.Resize(added, lastColumn);
        gridRows.SetCell(added, dictionary::kIdColumn, itemId);
        for (int n = 1; n <= lastColumn && n <= fields.size(); ++n) {
            gridRows.SetCell(added, n, fields[n - 1]);
        }
        shown.AddToViewBehindNarrowing(dictionary::ViewIndex(view), id, record);
        if (&gridRows == open_.views->Rows(view).get()) {
            open_.views->SetCounter(view, gridRows.RowCount());
        }
        shown.Show(id, record, &grid);
        grid.ReBind();
        return;
    }
    // The grid stores its own row after the handler; every other row of the item follows.
    shown.Show(id, record, &grid);
    if (namesNewItem) {
        shown.AddToViewBehindNarrowing(dictionary::ViewIndex(view), id, record);
    }
    if (open_.views->Counter(view) == 0) {
        AddFirstRow(view, grid, itemId,
                    dictionary::FieldTexts(record, dictionary::LayoutOf(view).LastColumn()));
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

bool SaveHandler::IdOvertyped(const grid::DataGrid& grid) {
    return !grid.PendingRowIsNew() && grid.Text() != grid.BoundArray()->Cell(grid.CurrentRow(), 0);
}

void SaveHandler::CopyAs(int viewIndex) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    grid::DataGrid& grid = screen_.Grid(dictionary::ViewAt(viewIndex));
    grid.CloseCellEditor();
    const int row = grid.CurrentRow();
    if (row < 0 || (row >= grid.NewRowLine() && !grid.HasPendingRow())) {
        vars_.dialogs.Beep();
        screen_.ShowStatus(QStringLiteral("Copy As copies the current row: choose a row first"),
                           dictionary::kNoteShownMs);
        return;
    }
    if (grid.HasPendingRow()) {
        // The typed row goes through the grid's commit, so the grid stores, keeps or
        // drops it as the copy decides.
        copyAsWanted_ = true;
        grid.CommitRow();
        copyAsWanted_ = false;
        return;
    }
    RunGuarded(vars_.dialogs, [&] {
        bool cancel = false;
        copy_.Run(CopyUnderNewName::Start::CopyAs, dictionary::ViewAt(viewIndex), grid, &cancel);
    });
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
    dictionary::Fill_ComboPH(screen_, *open_.views->Rows(ViewKind::PH));
}

}  // namespace editing

// SPDX-License-Identifier: MIT
#include "editing/DeleteHandler.h"

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/WriteReport.h"
#include "editing/DroppedChange.h"
#include "editing/UnexpectedFailure.h"
#include "editing/UsedByQuestion.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/DynamicArray.h"

namespace editing {

void DeleteHandler::BeforeDelete(int viewIndex, bool* cancel) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    if (!RunGuarded(vars_.dialogs, [&] { Delete(viewIndex, cancel); })) {
        *cancel = true;
    }
}

bool DeleteHandler::Confirmed(const grid::DataGrid& grid) {
    // An item others name gets one question that names them; any other item the plain
    // one. A slip of the Enter key must not delete: No is the default of both.
    const QString shownId = grid.BoundArray()->Cell(grid.CurrentRow(), dictionary::kIdColumn);
    switch (AskWhenUsed(vars_.dialogs, *open_.views, shownId, QStringLiteral("Delete it?"))) {
        case UsedByAnswer::GoOn:
            return true;
        case UsedByAnswer::Stop:
            return false;
        case UsedByAnswer::Unused:
            break;
    }
    return vars_.dialogs.MsgBoxWithDetail(
               QStringLiteral("Are you sure?"), ui::Buttons::YesNo, ui::Icon::None,
               QStringLiteral("Delete?"), ui::Answer::No,
               QStringLiteral("Delete ") + shownId + QStringLiteral("?")) == ui::Answer::Yes;
}

void DeleteHandler::Delete(int viewIndex, bool* cancel) {
    grid::DataGrid& grid = screen_.Grid(dictionary::ViewAt(viewIndex));
    if (!Confirmed(grid)) {
        *cancel = true;
        return;
    }
    grid.SetCol(0);
    const QString itemId = grid.Text();
    const std::string id = TextBridge::ToBytes(itemId);
    dictionary::ShownItems shown(open_, screen_.Grids());
    const dictionary::DictionaryContext context{vars_, open_, screen_};

    const dictionary::ChangeLock lock(open_, id);
    dictionary::AccountItem now = ReadBeforeChange(context, id, LockedChange::Delete);
    if (now.error != 0) {
        *cancel = true;
        return;
    }
    if (!dictionary::UnchangedSinceRead(open_.views->Records(), id, now)) {
        const std::string* read = open_.views->Records().Find(id);
        dictionary::ChangeDecision decision = dictionary::DecideOnChange(
            vars_.dialogs, open_, id, dictionary::ChangeKind::Delete,
            read != nullptr ? std::optional<std::string>(*read) : std::nullopt, now, std::nullopt);
        switch (decision.answer) {
            case dictionary::ChangedAnswer::Overwrite:
                now = std::move(decision.now);
                break;
            case dictionary::ChangedAnswer::ShowAccount:
                *cancel = true;
                shown.ShowAccount(id, decision.now.record);
                grid.ReBind();
                return;
            case dictionary::ChangedAnswer::Merge:  // a delete has nothing to merge
            case dictionary::ChangedAnswer::KeepPending:
                *cancel = true;
                return;
        }
    }

    mv::DictionaryFile& file = *open_.file;
    const dictionary::JournaledChange change = dictionary::DeleteItem(open_, id, now.record);
    const QString deletedId = TextBridge::ToText(file.RecordId());
    const ChangeResult result =
        ResultOfChange(context, change, id, deletedId, mv::DynamicArray(), ChangeMade::Delete);
    if (result == ChangeResult::Failed) {
        *cancel = true;
        return;
    }
    const bool confirmed = result == ChangeResult::ConfirmedAfterDrop;
    // The grid removes its own row once the handler returns; every other row of the
    // item (the view's own array behind a narrowed grid) goes now.
    shown.Remove(id, &grid);
    if (!confirmed) {
        dictionary::ReportWritten(
            context, QStringLiteral("Record ") + deletedId + QStringLiteral(" has been deleted"),
            QStringLiteral("Success"));
    }
}

void DeleteHandler::AfterDelete(int viewIndex) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    dictionary::ViewSet& views = *open_.views;
    const dictionary::ViewKind view = dictionary::ViewAt(viewIndex);
    views.SetCounter(view, views.Rows(view)->RowCount());
}

}  // namespace editing

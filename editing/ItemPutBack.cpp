// SPDX-License-Identifier: MIT
#include "editing/ItemPutBack.h"

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PendingRows.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "editing/DroppedChange.h"
#include "platform/grid/DataGrid.h"

namespace editing {

bool PutBackItem(const dictionary::DictionaryContext& context, dictionary::DictionaryOpener& opener,
                 const std::string& id, const std::optional<std::string>& target,
                 dictionary::ChangeOrigin origin, const std::optional<std::string>& known) {
    dictionary::OpenDictionary& open = context.open;
    dictionary::ShownItems shown(open, context.screen.Grids());
    const dictionary::ChangeLock lock(open, id);
    dictionary::AccountItem now = ReadBeforeChange(context, id);
    if (now.error != 0) {
        return false;
    }
    if (now.Holds(target)) {
        // Someone made it so already: nothing to write.
        shown.ShowAccount(id, now.record);
        return true;
    }
    std::optional<std::string> toWrite = target;
    if (!now.HoldsUpToCompiledForm(known)) {
        const auto kind = target ? dictionary::ChangeKind::Write : dictionary::ChangeKind::Delete;
        dictionary::ChangeDecision decision =
            dictionary::DecideOnChange(context.vars.dialogs, open, id, kind, known, now, target);
        switch (decision.answer) {
            case dictionary::ChangedAnswer::Overwrite:
                break;
            case dictionary::ChangedAnswer::Merge:
                toWrite = decision.merged;
                break;
            case dictionary::ChangedAnswer::ShowAccount:
                shown.ShowAccount(id, decision.now.record);
                return false;
            case dictionary::ChangedAnswer::KeepPending:
                return false;
        }
        now = std::move(decision.now);
        if (now.Holds(toWrite)) {
            shown.ShowAccount(id, now.record);
            return true;
        }
    }

    const QString itemId = TextBridge::ToText(id);
    const mv::DynamicArray record(toWrite.value_or(std::string()));
    const dictionary::JournaledChange change =
        toWrite ? dictionary::WriteItem(open, id, now.record, record, origin)
                : dictionary::DeleteItem(open, id, now.record, origin);
    if (ResultOfChange(context, change, id, itemId, record,
                       toWrite ? ChangeMade::Write : ChangeMade::Delete) == ChangeResult::Failed) {
        return false;
    }
    if (!toWrite) {
        shown.Remove(id);
    } else if (!now.Exists()) {
        // The item comes back: read with the dictionary, its row joins the view of its
        // type, where it would be after an open.
        opener.ReadAgain();
    } else {
        shown.Show(id, record);
    }
    // The item may be a phrase, or have been one.
    dictionary::Fill_ComboPH(context.screen, *open.views->Rows(dictionary::ViewKind::PH));
    return true;
}

RowsSettled SettleRowsBefore(const dictionary::DictionaryContext& context, const QString& action) {
    bool pending = false;
    for (grid::DataGrid* grid : context.screen.Grids()) {
        grid->CloseCellEditor();
        pending = pending || grid->HasPendingRow();
    }
    if (!pending) {
        return RowsSettled::NonePending;
    }
    const grid::DataGrid* stillPending = dictionary::SettlePendingRows(context.screen.Grids());
    if (stillPending == nullptr) {
        return RowsSettled::NowSettled;
    }
    const dictionary::ViewKind view = dictionary::ViewAt(stillPending->ViewIndex());
    context.screen.ShowView(view, /*focus=*/true);
    context.vars.dialogs.MsgBox(QStringLiteral("A changed row in the tab \"") +
                                    dictionary::LayoutOf(view).tabCaption +
                                    QStringLiteral("\" is not saved. Save it, or press Esc to "
                                                   "drop its changes, then ") +
                                    action + QStringLiteral(" again."),
                                ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    return RowsSettled::StillPending;
}

}  // namespace editing

// SPDX-License-Identifier: MIT
#include "editing/CopyUnderNewName.h"

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PendingRows.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/WriteReport.h"
#include "editing/ChangesToWrite.h"
#include "editing/CompileOffer.h"
#include "editing/DroppedChange.h"
#include "editing/ItemRecord.h"
#include "editing/UsedByQuestion.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"

namespace editing {

namespace {

const QString kCopyTitle = QStringLiteral("Copying Attribute");

}  // namespace

void CopyUnderNewName::Run(Start start, dictionary::ViewKind view, grid::DataGrid& grid,
                           bool* cancel) {
    // The copy offer drops the typed change when declined, as leaving the row said; a
    // command keeps it, so nothing typed is lost through a box the user did not ask for.
    const auto declined = [&] {
        if (start == Start::LeavingIdColumn) {
            grid.ReBind();
        } else {
            *cancel = true;
        }
    };
    const QString source = grid.PendingRowIsNew()
                               ? QString()
                               : grid.BoundArray()->Cell(grid.CurrentRow(), dictionary::kIdColumn);
    const std::optional<QString> answer =
        start == Start::CopyAs
            ? vars_.dialogs.InputBox(
                  QStringLiteral("Copy ") + source + QStringLiteral(" as: enter the new item id"),
                  QStringLiteral("Copy As"), source)
            : vars_.dialogs.InputBox(
                  QStringLiteral("If you want to save this attribute under a new name, enter "
                                 "the new Attribute Name"),
                  kCopyTitle, QString());
    if (!answer || answer->isEmpty()) {
        declined();
        return;
    }
    const QString name = *answer;
    const dictionary::ChangeLock lock(open_, TextBridge::ToBytes(name));
    const int lastField = dictionary::LayoutOf(view).LastColumn();
    mv::DynamicArray record = ItemRecordFromGrid(grid, lastField);
    std::optional<mv::DynamicArray> replaced;
    switch (CheckName(name, record, replaced)) {
        case Decision::Go:
            break;
        case Decision::Drop:
            grid.ReBind();
            return;
        case Decision::Cancelled:
            declined();
            return;
        case Decision::KeepPending:
            *cancel = true;
            return;
    }
    if (!UsersAgree(grid, name)) {
        declined();
        return;
    }
    // The name asked for is the user's word already when saves go unconfirmed.
    if (vars_.options.confirmSaves &&
        vars_.dialogs.MsgBoxWithDetail(
            QStringLiteral("Save?"), ui::Buttons::YesNo, ui::Icon::None, ui::kProgramTitle,
            CopyDetail(open_, grid, name, lastField)) != ui::Answer::Yes) {
        declined();
        return;
    }

    const dictionary::JournaledChange change = dictionary::WriteItem(
        open_, TextBridge::ToBytes(name), replaced, record, dictionary::ChangeOrigin::Copy);
    const ChangeResult result =
        ResultOfChange({vars_, open_, screen_}, change, TextBridge::ToBytes(name), name, record,
                       ChangeMade::Write);
    if (result == ChangeResult::Failed) {
        // The typed row stays pending, as after a refused save: reading the dictionary
        // again would lose it.
        *cancel = true;
        return;
    }
    const bool confirmed = result == ChangeResult::ConfirmedAfterDrop;

    // Rows that show an item the copy replaced follow it now: the dictionary is not read
    // again while a row of another grid stays pending.
    dictionary::ShownItems(open_, screen_.Grids()).Show(TextBridge::ToBytes(name), record);
    ReadAgain(grid);
    if (!confirmed) {
        dictionary::ReportWritten({vars_, open_, screen_}, name + QStringLiteral(" record updated"),
                                  QStringLiteral("Written"));
    }
    if (CompileOffer::Wanted(record.FieldValue(1))) {
        compile_.Offer(name);
    }
}

CopyUnderNewName::Decision CopyUnderNewName::CheckName(const QString& name,
                                                       mv::DynamicArray& record,
                                                       std::optional<mv::DynamicArray>& replaced) {
    if (!TextBridge::IsLatin1(name)) {
        vars_.dialogs.MsgBox(QStringLiteral("The name ") + name +
                                 QStringLiteral(" holds characters that no item id can hold. "
                                                "Leave the row again to type another name, "
                                                "or press Esc to drop the change."),
                             ui::Buttons::OK, ui::Icon::Exclamation, kCopyTitle);
        return Decision::KeepPending;
    }
    // The write would replace an item of that name whole: ask first.
    const std::string id = TextBridge::ToBytes(name);
    const dictionary::AccountItem now = ReadBeforeChange({vars_, open_, screen_}, id);
    if (now.error != 0) {
        return Decision::KeepPending;
    }
    replaced = now.record;
    if (!now.Exists()) {
        return Decision::Go;
    }
    // A row shows the item, but someone changed it since: the user sees that first.
    const dictionary::RecordsAsRead& records = open_.views->Records();
    const std::string* read = records.Find(id);
    if (read != nullptr && !dictionary::UnchangedSinceRead(records, id, now)) {
        dictionary::ChangeDecision decision = dictionary::DecideOnChange(
            vars_.dialogs, open_, id, dictionary::ChangeKind::Write, *read, now, record.Text());
        replaced = decision.now.record;
        switch (decision.answer) {
            case dictionary::ChangedAnswer::Merge:
                record = mv::DynamicArray(decision.merged.value_or(std::string()));
                return Decision::Go;
            case dictionary::ChangedAnswer::Overwrite:
                return Decision::Go;
            case dictionary::ChangedAnswer::ShowAccount:
                dictionary::ShownItems(open_, screen_.Grids()).ShowAccount(id, decision.now.record);
                return Decision::Drop;
            case dictionary::ChangedAnswer::KeepPending:
                return Decision::KeepPending;
        }
    }
    return dictionary::AskToReplace(vars_.dialogs, open_, id, *now.record, record)
               ? Decision::Go
               : Decision::Cancelled;
}

bool CopyUnderNewName::UsersAgree(const grid::DataGrid& grid, const QString& name) {
    if (grid.PendingRowIsNew()) {
        return true;  // a row typed from scratch copies no item
    }
    const QString source = grid.BoundArray()->Cell(grid.CurrentRow(), dictionary::kIdColumn);
    if (source == name) {
        return true;
    }
    // A copy made to rename an item leaves its users naming the old one: say so first.
    return AskWhenUsed(vars_.dialogs, *open_.views, source,
                       QStringLiteral("They will go on using ") + source +
                           QStringLiteral(", not ") + name +
                           QStringLiteral(". Copy it under the new name?")) != UsedByAnswer::Stop;
}

void CopyUnderNewName::ReadAgain(grid::DataGrid& grid) {
    // Rows typed in the other grids would go with the old rows: settle them first. If
    // one stays pending, or the open fails, the grids keep their rows and only this
    // row's typed change is dropped; the copy shows from the next open.
    const bool othersSettled = dictionary::SettlePendingRows(screen_.Grids(), &grid) == nullptr;
    if (!othersSettled || !opener_.Reopen()) {
        grid.ReBind();
    }
}

}  // namespace editing

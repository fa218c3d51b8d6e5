// SPDX-License-Identifier: MIT
#include "editing/DroppedChange.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/ui/Dialogs.h"

namespace editing {

namespace {

QString ArrivedMessage(const QString& itemId, ChangeMade change, bool arrived) {
    if (change == ChangeMade::Write) {
        return arrived ? itemId + QStringLiteral(" was written before the connection dropped.")
                       : itemId + QStringLiteral(
                                      " was not written: the server holds the item as before.\n"
                                      "The row keeps what you typed: leave the row again to "
                                      "save it, or press Esc to drop it.");
    }
    return arrived ? QStringLiteral("Record ") + itemId +
                         QStringLiteral(" was deleted before the connection dropped.")
                   : QStringLiteral("Record ") + itemId +
                         QStringLiteral(" was not deleted: the server still holds it.");
}

void ShowLocked(ui::Dialogs& dialogs, const QString& itemId, LockedChange change,
                const std::string& lockedBy) {
    if (change == LockedChange::Save) {
        dictionary::ShowLockedByOther(dialogs, itemId, lockedBy);
        return;
    }
    dialogs.MsgBox(itemId + QStringLiteral(" is ") + TextBridge::ToText(lockedBy) +
                       (change == LockedChange::Delete ? QStringLiteral("; nothing was deleted.")
                                                       : QStringLiteral("; nothing was renamed.")),
                   ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
}

// What the account holds under id; forChange takes the item's lock with the read. Each
// Yes to a new login reads again; a No, or a failure of another kind, ends it.
dictionary::AccountItem ReadItem(const dictionary::DictionaryContext& context,
                                 const std::string& id, bool forChange,
                                 LockedChange change = LockedChange::Save) {
    const auto read = [&] {
        return forChange ? dictionary::ReadForChange(context.open, id)
                         : dictionary::ReadFromAccount(*context.open.file, id);
    };
    dictionary::AccountItem now = read();
    const QString itemId = TextBridge::ToText(id);
    if (now.lockRefused != 0) {
        context.vars.dialogs.MsgBox(
            QStringLiteral("The server refused to lock %1 (code %2). Kelvora goes on without "
                           "record locks on this dictionary: a change another user makes at "
                           "the same moment as yours may be overwritten.")
                .arg(itemId)
                .arg(now.lockRefused),
            ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    }
    while (now.error != 0) {
        if (now.error == mv::kRecordLocked) {
            ShowLocked(context.vars.dialogs, itemId, change, now.lockedBy);
            break;
        }
        ShowCallError(context.vars, now.error, context.open.name, itemId);
        if (!ConnectionDropped(context.vars, now.error) ||
            !dictionary::RecoverConnection(context)) {
            break;
        }
        now = read();
    }
    return now;
}

}  // namespace

dictionary::AccountItem ReadBeforeChange(const dictionary::DictionaryContext& context,
                                         const std::string& id, LockedChange change) {
    return ReadItem(context, id, /*forChange=*/true, change);
}

Arrived WhetherChangeArrived(const dictionary::DictionaryContext& context, const std::string& id,
                             const mv::DynamicArray& written, ChangeMade change) {
    if (!dictionary::RecoverConnection(context)) {
        return Arrived::Unknown;
    }
    const dictionary::AccountItem now = ReadItem(context, id, /*forChange=*/false);
    if (now.error != 0) {
        return Arrived::Unknown;
    }
    const bool arrived = change == ChangeMade::Write
                             ? now.Exists() && now.record->Text() == written.Text()
                             : !now.Exists();
    context.vars.dialogs.MsgBox(
        ArrivedMessage(TextBridge::ToText(id), change, arrived), ui::Buttons::OK,
        arrived ? ui::Icon::Information : ui::Icon::Exclamation, QStringLiteral("Connection lost"));
    return arrived ? Arrived::Yes : Arrived::No;
}

ChangeResult ResultOfChange(const dictionary::DictionaryContext& context,
                            const dictionary::JournaledChange& change, const std::string& id,
                            const QString& shownId, const mv::DynamicArray& written,
                            ChangeMade made) {
    const int code = context.open.file->Error();
    if (code == 0) {
        return ChangeResult::Made;
    }
    ShowCallError(context.vars, code, context.open.name, shownId);
    // A change without a reply may or may not have reached the server: the account
    // tells, once the connection is back.
    if (!ConnectionDropped(context.vars, code) ||
        WhetherChangeArrived(context, id, written, made) != Arrived::Yes) {
        return ChangeResult::Failed;
    }
    change.Settle(true);
    return ChangeResult::ConfirmedAfterDrop;
}

}  // namespace editing

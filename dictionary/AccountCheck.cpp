// SPDX-License-Identifier: MIT
#include "dictionary/AccountCheck.h"

#include <QApplication>

#include "connection/TextBridge.h"
#include "core/Classification.h"
#include "core/DictionaryDiff.h"
#include "core/ViewCaptions.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/RecordsAsRead.h"
#include "dictionary/frmConflict.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/ui/Dialogs.h"

namespace dictionary {

AccountItem ReadFromAccount(mv::DictionaryFile& file, const std::string& id) {
    file.SetRecordId(id);
    file.Read();
    AccountItem now;
    if (file.Error() == 0) {
        now.record = file.Record();
    } else if (file.Error() != mv::kRecordNotFound) {
        now.error = file.Error();
    }
    return now;
}

AccountItem ReadForChange(OpenDictionary& open, const std::string& id) {
    mv::DictionaryFile& file = *open.file;
    ItemLocks& locks = open.locks;
    if (!locks.Supported()) {
        return ReadFromAccount(file, id);
    }
    file.SetRecordId(id);
    file.ReadForUpdate();
    const int code = file.Error();
    AccountItem now;
    if (code == 0 || code == mv::kRecordNotFound) {
        locks.Took(id);
        if (code == 0) {
            now.record = file.Record();
        }
        return now;
    }
    if (code == mv::kRecordLocked) {
        now.error = code;
        now.lockedBy = file.LockedByWords();
        return now;
    }
    // A failed connection or a closed file fails any read: that is the answer.
    if (mv::IsConnectionFailure(code) || code == mv::kFileClosed || code == mv::kNotConnected) {
        now.error = code;
        return now;
    }
    // A server that does not take the lock flag answers a plain read all the same; a
    // failure of the read itself fails that too.
    now = ReadFromAccount(file, id);
    if (now.error == 0 && locks.MarkRefused(code)) {
        now.lockRefused = code;
    }
    return now;
}

bool AccountItem::HoldsUpToCompiledForm(const std::optional<std::string>& bytes) const {
    return Holds(bytes) ||
           (Exists() && bytes && !core::RecordsDiffer(record->Text(), *bytes, /*compiled=*/false));
}

bool UnchangedSinceRead(const RecordsAsRead& records, const std::string& id,
                        const AccountItem& now) {
    const std::string* read = records.Find(id);
    return now.HoldsUpToCompiledForm(read != nullptr ? std::optional<std::string>(*read)
                                                     : std::nullopt);
}

namespace {

// The column captions of the view the item is shown in, by its type as the change would
// leave it (or as the account or the read had it); none for an item no view shows.
QStringList CaptionsOf(const ItemVersions& versions, const std::string& id,
                       const QString& fileName) {
    const std::optional<std::string>& record =
        versions.yours ? versions.yours
                       : (versions.inAccount ? versions.inAccount : versions.asRead);
    if (!record) {
        return {};
    }
    const std::string_view field1 = std::string_view(*record).substr(0, record->find('\xFE'));
    const core::Placement placement = core::Classify(field1, id, TextBridge::ToBytes(fileName));
    QStringList captions;
    if (placement.view) {
        for (const std::string_view caption : core::ColumnCaptions(*placement.view)) {
            captions << TextBridge::ToText(caption);
        }
    }
    return captions;
}

std::optional<std::string> BytesOf(const AccountItem& item) {
    return item.record ? std::optional<std::string>(item.record->Text()) : std::nullopt;
}

}  // namespace

ChangeDecision DecideOnChange(ui::Dialogs& dialogs, OpenDictionary& open, const std::string& id,
                              ChangeKind kind, const std::optional<std::string>& asRead,
                              AccountItem now, const std::optional<std::string>& yours) {
    const QString itemId = TextBridge::ToText(id);
    for (;;) {
        const ItemVersions versions{asRead, BytesOf(now), yours};
        frmConflict form(itemId, kind, versions, CaptionsOf(versions, id, open.name),
                         QApplication::activeWindow());
        dialogs.ShowModal(form);
        ChangeDecision decision{form.Answer(), std::nullopt, now};
        if (decision.answer == ChangedAnswer::Merge) {
            decision.merged = form.Merged();
        }
        if (decision.answer != ChangedAnswer::Overwrite &&
            decision.answer != ChangedAnswer::Merge) {
            return decision;
        }
        // Without a lock the account may have changed while the window was open. A read
        // that fails leaves the answer to the write, which reports its own failure.
        AccountItem again = ReadFromAccount(*open.file, id);
        if (again.error != 0 || !core::ItemsDiffer(BytesOf(again), versions.inAccount)) {
            return decision;
        }
        now = std::move(again);
    }
}

void ShowLockedByOther(ui::Dialogs& dialogs, const QString& id, const std::string& lockedBy) {
    dialogs.MsgBox(id + QStringLiteral(" is ") + TextBridge::ToText(lockedBy) +
                       QStringLiteral(". Your changes are kept; save the row again later."),
                   ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
}

bool AskToReplace(ui::Dialogs& dialogs, const OpenDictionary& open, const std::string& id,
                  const mv::DynamicArray& existing, const mv::DynamicArray& yours) {
    const ItemVersions versions{std::nullopt, existing.Text(), yours.Text()};
    frmConflict form(TextBridge::ToText(id), existing.Text(), yours.Text(),
                     CaptionsOf(versions, id, open.name), QApplication::activeWindow());
    dialogs.ShowModal(form);
    return form.Answer() == ChangedAnswer::Overwrite;
}

}  // namespace dictionary

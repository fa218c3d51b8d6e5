// SPDX-License-Identifier: MIT
#include "editing/RenameHandler.h"

#include <algorithm>
#include <deque>
#include <optional>

#include <QStringList>

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/Dependencies.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "editing/DroppedChange.h"
#include "editing/ItemPutBack.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"

namespace editing {

namespace {

const QString kRenameTitle = QStringLiteral("Rename");
constexpr int kPhraseField = 2;

// The phrase record with every word of its phrase that is `from` made `to`; nullopt when
// no word is. Words are parted by single blanks, as the phrase view parts them.
std::optional<mv::DynamicArray> PhraseRenamed(const mv::DynamicArray& record,
                                              const std::string& from, const std::string& to) {
    const std::string phrase = record.FieldValue(kPhraseField);
    std::string renamed;
    bool changed = false;
    std::size_t start = 0;
    while (start <= phrase.size()) {
        const std::size_t blank = std::min(phrase.find(' ', start), phrase.size());
        const std::string word = phrase.substr(start, blank - start);
        changed = changed || word == from;
        renamed += word == from ? to : word;
        if (blank < phrase.size()) {
            renamed += ' ';
        }
        start = blank + 1;
    }
    if (!changed) {
        return std::nullopt;
    }
    mv::DynamicArray after(record.Text());
    after.Field(kPhraseField).SetStringValue(renamed);
    return after;
}

}  // namespace

bool RenameHandler::Rename(int viewIndex) {
    bool renamed = false;
    RunGuarded(context_.vars.dialogs, [&] { renamed = Run(viewIndex); });
    return renamed;
}

void RenameHandler::Refuse(const QString& message) {
    context_.vars.dialogs.MsgBox(message, ui::Buttons::OK, ui::Icon::Exclamation, kRenameTitle);
}

bool RenameHandler::Run(int viewIndex) {
    dictionary::OpenDictionary& open = context_.open;
    if (!dictionary::IsViewIndex(viewIndex) || !open.IsOpen() || open.readOnly) {
        context_.vars.dialogs.Beep();
        return false;
    }
    if (SettleRowsBefore(context_, QStringLiteral("rename")) == RowsSettled::StillPending) {
        return false;
    }
    const grid::DataGrid& grid = context_.screen.Grid(dictionary::ViewAt(viewIndex));
    const int row = grid.CurrentRow();
    if (row < 0 || row == grid.NewRowLine() || !grid.BoundArray()) {
        context_.vars.dialogs.Beep();
        context_.screen.ShowStatus(QStringLiteral("Choose the row of the item to rename."),
                                   dictionary::kNoteShownMs);
        return false;
    }
    const QString oldName = grid.BoundArray()->Cell(row, dictionary::kIdColumn);
    const QString newName = AskNewName(oldName);
    if (newName.isEmpty()) {
        return false;
    }
    const std::string from = TextBridge::ToBytes(oldName);
    const std::string to = TextBridge::ToBytes(newName);
    dictionary::ShownItems shown(open, context_.screen.Grids());

    const dictionary::ChangeLock newLock(open, to);
    const dictionary::AccountItem target = ReadBeforeChange(context_, to, LockedChange::Rename);
    if (target.error != 0) {
        return false;
    }
    if (target.Exists()) {
        Refuse(QStringLiteral("An item ") + newName + QStringLiteral(" already exists in ") +
               open.name +
               QStringLiteral(". A rename never replaces another item: choose another name."));
        return false;
    }
    const dictionary::ChangeLock oldLock(open, from);
    const dictionary::AccountItem now = ReadBeforeChange(context_, from, LockedChange::Rename);
    if (now.error != 0) {
        return false;
    }
    if (!now.Exists() || !dictionary::UnchangedSinceRead(open.views->Records(), from, now)) {
        shown.ShowAccount(from, now.record);
        Refuse(oldName +
               (now.Exists() ? QStringLiteral(" was changed in the account after it was read. "
                                              "Its rows now show the account's version.")
                             : QStringLiteral(" was deleted in the account after it was read.")) +
               QStringLiteral(" Nothing was renamed."));
        return false;
    }

    // Both items stay locked while the user decides.
    if (!UsersAgree(oldName, newName)) {
        return false;
    }

    // The phrases that list the old name, as the account holds them now, under their
    // locks until they are written.
    std::deque<dictionary::ChangeLock> phraseLocks;
    std::vector<Phrase> phrases;
    for (const dictionary::Dependencies::User& user :
         open.views->CurrentDependencies().UsedBy(from)) {
        if (!user.phrase) {
            continue;
        }
        phraseLocks.emplace_back(open, user.id);
        const dictionary::AccountItem phrase =
            ReadBeforeChange(context_, user.id, LockedChange::Rename);
        if (phrase.error != 0) {
            return false;
        }
        if (phrase.Exists()) {
            if (std::optional<mv::DynamicArray> after = PhraseRenamed(*phrase.record, from, to)) {
                phrases.push_back({user.id, *phrase.record, std::move(*after)});
            }
        }
    }

    dictionary::ChangeGroup change(open, core::ChangeGroupKind::Rename, from, to);
    if (!Move(from, to, *now.record)) {
        change.Drop();
        return false;
    }
    shown.Rename(from, to, *now.record);
    const QStringList unwritten = WritePhrases(phrases);
    for (const Phrase& phrase : phrases) {
        if (!unwritten.contains(TextBridge::ToText(phrase.id))) {
            shown.Show(phrase.id, phrase.after);
        }
    }
    // A grid narrowed to a phrase goes on showing the item when bound again.
    if (open.shown.phraseWords) {
        for (QString& word : *open.shown.phraseWords) {
            if (word == oldName) {
                word = newName;
            }
        }
    }
    dictionary::Fill_ComboPH(context_.screen, *open.views->Rows(dictionary::ViewKind::PH));

    QString note = oldName + QStringLiteral(" renamed to ") + newName;
    if (phrases.size() > static_cast<std::size_t>(unwritten.size())) {
        note += QStringLiteral("; the phrases that listed it list the new name");
    }
    context_.screen.ShowStatus(note, dictionary::kNoteShownMs);
    if (!unwritten.isEmpty()) {
        Refuse(QStringLiteral("The phrase ") + unwritten.join(QStringLiteral(", ")) +
               QStringLiteral(" could not be written: it still lists ") + oldName +
               QStringLiteral("."));
    }
    return true;
}

QString RenameHandler::AskNewName(const QString& oldName) {
    const std::optional<QString> answer = context_.vars.dialogs.InputBox(
        QStringLiteral("New name for ") + oldName + QLatin1Char(':'), kRenameTitle, oldName);
    if (!answer || answer->isEmpty() || *answer == oldName) {
        return QString();
    }
    if (!TextBridge::IsLatin1(*answer)) {
        Refuse(QStringLiteral("The name ") + *answer +
               QStringLiteral(" holds characters that no item id can hold. Nothing was renamed."));
        return QString();
    }
    return *answer;
}

bool RenameHandler::UsersAgree(const QString& oldName, const QString& newName) {
    // Phrases follow the rename; expressions are code, which the program does not rewrite.
    std::vector<dictionary::Dependencies::User> expressions;
    for (const dictionary::Dependencies::User& user :
         context_.open.views->CurrentDependencies().UsedBy(TextBridge::ToBytes(oldName))) {
        if (!user.phrase) {
            expressions.push_back(user);
        }
    }
    if (expressions.empty()) {
        return true;
    }
    return context_.vars.dialogs.MsgBox(
               oldName + QStringLiteral(" is used by ") + dictionary::UsersInWords(expressions) +
                   QStringLiteral(". Their expressions are left as they are and will go on "
                                  "naming ") +
                   oldName + QStringLiteral(", not ") + newName +
                   QStringLiteral(". Rename it all the same?"),
               ui::Buttons::YesNo, ui::Icon::Exclamation, kRenameTitle,
               ui::Answer::No) == ui::Answer::Yes;
}

bool RenameHandler::Move(const std::string& from, const std::string& to,
                         const mv::DynamicArray& record) {
    dictionary::OpenDictionary& open = context_.open;
    const QString oldName = TextBridge::ToText(from);
    const QString newName = TextBridge::ToText(to);
    const dictionary::JournaledChange write =
        dictionary::WriteItem(open, to, std::nullopt, record, dictionary::ChangeOrigin::Edit);
    if (ResultOfChange(context_, write, to, newName, record, ChangeMade::Write) ==
        ChangeResult::Failed) {
        return false;
    }
    const dictionary::JournaledChange remove =
        dictionary::DeleteItem(open, from, record, dictionary::ChangeOrigin::Edit);
    if (ResultOfChange(context_, remove, from, oldName, mv::DynamicArray(), ChangeMade::Delete) !=
        ChangeResult::Failed) {
        return true;
    }
    // The item must not end up under both names: the new one goes again.
    const dictionary::JournaledChange takeBack =
        dictionary::DeleteItem(open, to, record, dictionary::ChangeOrigin::Undo);
    if (ResultOfChange(context_, takeBack, to, newName, mv::DynamicArray(), ChangeMade::Delete) ==
        ChangeResult::Failed) {
        // Both are in the account now: the rows show them both.
        opener_.ReadAgain();
        Refuse(oldName + QStringLiteral(" could not be deleted, and ") + newName +
               QStringLiteral(" could not be deleted again: the account holds the item under "
                              "both names."));
        return false;
    }
    Refuse(oldName + QStringLiteral(" could not be deleted, so ") + newName +
           QStringLiteral(" was deleted again. Nothing was renamed."));
    return false;
}

QStringList RenameHandler::WritePhrases(const std::vector<Phrase>& phrases) {
    QStringList unwritten;
    for (const Phrase& phrase : phrases) {
        const QString name = TextBridge::ToText(phrase.id);
        const dictionary::JournaledChange change =
            dictionary::WriteItem(context_.open, phrase.id, phrase.before, phrase.after);
        if (ResultOfChange(context_, change, phrase.id, name, phrase.after, ChangeMade::Write) ==
            ChangeResult::Failed) {
            unwritten << name;
        }
    }
    return unwritten;
}

}  // namespace editing

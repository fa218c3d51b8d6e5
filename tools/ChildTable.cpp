// SPDX-License-Identifier: MIT
#include "tools/ChildTable.h"

#include <algorithm>

#include <QStringList>

#include "connection/Functions.h"
#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/Classification.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownItems.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/WriteReport.h"
#include "platform/grid/DataGrid.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"
#include "tools/OtherAssociations.h"
#include "tools/ToolSupport.h"

namespace tools {

namespace {

const QString kTitle = QStringLiteral("Child table");
const QString kSelectList = QStringLiteral("@SELECT");

grid::DataGrid& DivGrid(dictionary::DictionaryScreen& screen) {
    return screen.Grid(dictionary::ViewKind::DIV);
}
grid::DataGrid& PhGrid(dictionary::DictionaryScreen& screen) {
    return screen.Grid(dictionary::ViewKind::PH);
}

QString WithoutLeadingBlanks(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && text[first] == QLatin1Char(' ')) {
        ++first;
    }
    return text.mid(first);
}

// The bytes 0xFB to 0xFF are the database's marks: written into a field they would cut
// it into several fields, values or subvalues.
bool HoldsMark(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xFB; });
}

}  // namespace

void ChildTable::cmdMakeChild_Click() {
    if (!RequireOpenDictionary(vars_, open_)) {
        return;
    }
    grid::DataGrid& divGrid = DivGrid(screen_);
    // A row left pending would be dropped by the re-reads below; the highlighted rows must
    // still be the ones the user chose once it is settled.
    const QList<int> highlighted = divGrid.Highlights().Rows();
    if (!SettlePendingRows({&divGrid, &PhGrid(screen_)})) {
        return;
    }
    if (divGrid.Highlights().Rows() != highlighted) {
        vars_.dialogs.MsgBox(QStringLiteral("The grid was read again while the row was saved, "
                                            "so no rows are highlighted any more. Highlight the "
                                            "rows of the child table again."),
                             ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        return;
    }

    const std::optional<QString> answer = vars_.dialogs.InputBox(
        QStringLiteral("Enter the name of the PH descriptor"), kTitle, QString());
    if (!answer || answer->isEmpty()) {
        return;
    }
    const QString name = *answer;
    if (!TextBridge::IsLatin1(name)) {
        vars_.dialogs.MsgBox(QStringLiteral("The name holds characters that no item id can hold."),
                             ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        return;
    }
    if (HoldsMark(name)) {
        vars_.dialogs.MsgBox(QStringLiteral("The name holds one of the characters \u00FB, \u00FC, "
                                            "\u00FD, \u00FE or \u00FF, which the database keeps "
                                            "as marks: as an association it would split the "
                                            "field. Choose another name."),
                             ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        return;
    }
    std::optional<mv::DynamicArray> replaced;
    const dictionary::ChangeLock lock(open_, TextBridge::ToBytes(name));
    if (!ConfirmReplacing(name, replaced)) {
        return;
    }

    // Asked before anything is written, so Cancel leaves everything as it was.
    const QStringList members = HighlightedIds();
    const OtherAssociations others(open_, *divGrid.BoundArray(), highlighted, name);
    OtherAssociations::Choice choice = OtherAssociations::Choice::Leave;
    if (name != kSelectList && others.Any()) {
        choice = others.Ask(vars_.dialogs, kTitle);
        if (choice == OtherAssociations::Choice::Cancel) {
            return;
        }
    }

    // The descriptor goes first: if the account refuses it, no item is left pointing at
    // a phrase that does not exist.
    const QString phrase = WithoutLeadingBlanks(QLatin1Char(' ') + members.join(QLatin1Char(' ')));
    if (!WriteDescriptor(name, phrase, replaced)) {
        divGrid.Refresh();
        return;
    }
    QList<Failure> failures;
    QList<Failure> phraseFailures;
    bool connected = true;
    if (name != kSelectList) {
        QStringList joined;
        connected = WriteAssociations(name, members, failures, joined);
        // Only an item that took the new association leaves the other table's phrase.
        if (connected && choice == OtherAssociations::Choice::TakeOut) {
            connected = TakeOutOfPhrases(others.PhrasesListing(joined), phraseFailures);
        }
    }
    divGrid.ReBind();
    dictionary::ReportWritten({vars_, open_, screen_},
                              QStringLiteral("PH descriptor ") + name + QStringLiteral(" written"),
                              QStringLiteral("Success"));
    AddToPhView(name, phrase);
    dictionary::Fill_ComboPH(screen_, *open_.views->Rows(dictionary::ViewKind::PH));
    ReportFailures(name, failures, phraseFailures, !connected);
    divGrid.Refresh();
    if (!connected) {
        RecoverAfterDrop(name);
    }
}

void ChildTable::RecoverAfterDrop(const QString& name) {
    if (dictionary::RecoverConnection(context_)) {
        vars_.dialogs.MsgBox(QStringLiteral("The child table %1 was not defined completely. "
                                            "Highlight its rows and press Define Child Table "
                                            "again.")
                                 .arg(name),
                             ui::Buttons::OK, ui::Icon::Information, kTitle);
    }
}

QStringList ChildTable::HighlightedIds() {
    grid::DataGrid& divGrid = DivGrid(screen_);
    const grid::RowArray& rows = *divGrid.BoundArray();
    QStringList ids;
    for (int index = 0; index < divGrid.HighlightCount(); ++index) {
        ids << rows.Cell(divGrid.HighlightedRow(index), 0);
    }
    return ids;
}

bool ChildTable::ConfirmReplacing(const QString& name, std::optional<mv::DynamicArray>& replaced) {
    const dictionary::AccountItem now = dictionary::ReadForChange(open_, TextBridge::ToBytes(name));
    if (now.error == 0 && !now.Exists()) {
        return true;
    }
    if (now.error == mv::kRecordLocked) {
        dictionary::ShowLockedByOther(vars_.dialogs, name, now.lockedBy);
        return false;
    }
    if (ConnectionDropped(vars_, now.error)) {
        ShowCallError(vars_, now.error, open_.name, name);
        RecoverAfterDrop(name);
        return false;
    }
    // Redefining a child table replaces its PH item; anything else, or an item that cannot
    // be read and so cannot be told apart, is replaced only on the user's word.
    if (now.error == 0) {
        replaced = now.record;
        const QString field1 = TextBridge::ToText(now.record->FieldValue(1));
        if (dictionary::TypeCode(field1) == QLatin1String("PH")) {
            return vars_.dialogs.MsgBox(name + QStringLiteral(" already exists. Replace its list "
                                                              "of fields with the highlighted "
                                                              "rows?"),
                                        ui::Buttons::YesNo, ui::Icon::Question, ui::kProgramTitle,
                                        ui::Answer::No) == ui::Answer::Yes;
        }
    }
    const ui::Answer answer = vars_.dialogs.MsgBox(
        name + QStringLiteral(" is already an item of this dictionary, and not a PH descriptor. "
                              "Replace it with the new PH descriptor?"),
        ui::Buttons::YesNo, ui::Icon::Question, kTitle);
    return answer == ui::Answer::Yes;
}

bool ChildTable::WriteAssociations(const QString& name, const QStringList& members,
                                   QList<Failure>& failures, QStringList& joined) {
    mv::DictionaryFile& file = *open_.file;
    dictionary::ShownItems shown(open_, screen_.Grids());
    const std::string association = TextBridge::ToBytes(name);
    // On a dropped connection the items from this one on are not reached.
    const auto lost = [&](int index, int code, bool read) {
        ShowCallError(vars_, code, open_.name, members[index]);
        failures.append({members[index], read, code});
        for (int rest = index + 1; rest < members.size(); ++rest) {
            failures.append({members[rest], true, code});
        }
        return false;
    };
    for (int index = 0; index < members.size(); ++index) {
        const QString& itemId = members[index];
        const std::string id = TextBridge::ToBytes(itemId);
        const dictionary::ChangeLock lock(open_, id);
        dictionary::AccountItem now = dictionary::ReadForChange(open_, id);
        if (ConnectionDropped(vars_, now.error)) {
            return lost(index, now.error, true);
        }
        if (now.error != 0 || !now.Exists()) {
            failures.append({itemId, true, now.error != 0 ? now.error : mv::kRecordNotFound});
            continue;
        }
        // Only field 7 changes: whatever else the account holds is written back as it is.
        mv::DynamicArray record = *now.record;
        record.Field(dictionary::kAssociationColumn).SetStringValue(association);
        if (!dictionary::UnchangedSinceRead(open_.views->Records(), id, now)) {
            // Someone changed the item since its row was read: the user sees their change
            // beside this one (field 7 of the item as read) and chooses.
            const std::string* read = open_.views->Records().Find(id);
            mv::DynamicArray yours(read != nullptr ? *read : now.record->Text());
            yours.Field(dictionary::kAssociationColumn).SetStringValue(association);
            dictionary::ChangeDecision decision = dictionary::DecideOnChange(
                vars_.dialogs, open_, id, dictionary::ChangeKind::Write,
                read != nullptr ? std::optional<std::string>(*read) : std::nullopt, now,
                yours.Text());
            switch (decision.answer) {
                case dictionary::ChangedAnswer::Merge:
                    record = mv::DynamicArray(decision.merged.value_or(std::string()));
                    break;
                case dictionary::ChangedAnswer::Overwrite:
                    record = yours;
                    break;
                case dictionary::ChangedAnswer::ShowAccount:
                    shown.ShowAccount(id, decision.now.record);
                    continue;
                case dictionary::ChangedAnswer::KeepPending:
                    continue;
            }
            now = std::move(decision.now);
        }
        dictionary::WriteItem(open_, id, now.record, record);
        if (ConnectionDropped(vars_, file.Error())) {
            return lost(index, file.Error(), false);
        }
        if (file.Error() != 0) {
            vars_.dialogs.Beep();
            failures.append({itemId, false, file.Error()});
            continue;
        }
        shown.Show(id, record);
        joined << itemId;
    }
    return true;
}

bool ChildTable::TakeOutOfPhrases(const std::vector<std::pair<QString, QStringList>>& phrases,
                                  QList<Failure>& failures) {
    mv::DictionaryFile& file = *open_.file;
    dictionary::ShownItems shown(open_, screen_.Grids());
    for (std::size_t index = 0; index < phrases.size(); ++index) {
        const QString& phraseId = phrases[index].first;
        const std::string id = TextBridge::ToBytes(phraseId);
        const dictionary::ChangeLock lock(open_, id);
        const dictionary::AccountItem now = dictionary::ReadForChange(open_, id);
        int code = now.error;
        bool read = true;
        // Leaving words out of the phrase the account holds now keeps whatever else
        // anyone changed in it since it was read.
        const std::optional<mv::DynamicArray> without =
            code == 0 && now.Exists()
                ? OtherAssociations::PhraseWithout(*now.record, phrases[index].second)
                : std::nullopt;
        if (code == 0 && !now.Exists()) {
            code = mv::kRecordNotFound;
        } else if (without) {
            dictionary::WriteItem(open_, id, now.record, *without);
            code = file.Error();
            read = false;
        }
        if (code == 0) {
            if (without) {
                shown.Show(id, *without);
            }
            continue;
        }
        failures.append({phraseId, read, code});
        if (ConnectionDropped(vars_, code)) {
            ShowCallError(vars_, code, open_.name, phraseId);
            for (std::size_t rest = index + 1; rest < phrases.size(); ++rest) {
                failures.append({phrases[rest].first, true, code});
            }
            return false;
        }
    }
    return true;
}

bool ChildTable::WriteDescriptor(const QString& name, const QString& phrase,
                                 const std::optional<mv::DynamicArray>& replaced) {
    mv::DynamicArray record;
    record.Field(1).SetStringValue("PH");
    record.Field(2).SetStringValue(TextBridge::ToBytes(phrase));
    mv::DictionaryFile& file = *open_.file;
    dictionary::WriteItem(open_, TextBridge::ToBytes(name), replaced, record);
    if (file.Error() != 0) {
        const int code = file.Error();
        ShowCallError(vars_, code, open_.name, TextBridge::ToText(file.RecordId()));
        if (ConnectionDropped(vars_, code)) {
            RecoverAfterDrop(name);
        }
        return false;
    }
    dictionary::ShownItems(open_, screen_.Grids()).Show(file.RecordId(), record);
    return true;
}

// The PH view keeps every row it holds: a redefined table changes the phrase of its first
// row, a new one is added after the last row, and the counter ends as the number of rows.
void ChildTable::AddToPhView(const QString& name, const QString& phrase) {
    dictionary::ViewSet& views = *open_.views;
    grid::RowArray& rows = *views.Rows(dictionary::ViewKind::PH);
    bool found = false;
    for (int row = 0; row <= rows.HighestRow() && !found; ++row) {
        if (rows.CellEquals(row, 0, name)) {
            rows.SetCell(row, dictionary::kPhraseColumn, phrase);
            found = true;
        }
    }
    if (!found) {
        const int row = rows.RowCount();
        const int lastColumn = std::max(dictionary::LayoutOf(dictionary::ViewKind::PH).LastColumn(),
                                        rows.ColumnCount() - 1);
        rows.Resize(row, lastColumn);
        rows.SetCell(row, 0, name);
        rows.SetCell(row, 1, QStringLiteral("PH"));
        rows.SetCell(row, dictionary::kPhraseColumn, phrase);
    }
    views.SetCounter(dictionary::ViewKind::PH, rows.RowCount());
    PhGrid(screen_).ReBind();
}

void ChildTable::ReportFailures(const QString& name, const QList<Failure>& failures,
                                const QList<Failure>& phraseFailures, bool lost) {
    if (failures.isEmpty() && phraseFailures.isEmpty()) {
        return;
    }
    QStringList lines;
    const auto add = [&](const QList<Failure>& list) {
        for (const Failure& failure : list) {
            const QString error = ErrorName(vars_, failure.code)
                                      .value_or(QStringLiteral("error %1").arg(failure.code));
            lines << QStringLiteral("%1: %2 (%3)")
                         .arg(failure.itemId,
                              failure.read ? QStringLiteral("could not be read")
                                           : QStringLiteral("could not be written"),
                              error);
        }
    };
    if (!failures.isEmpty()) {
        lines << (failures.size() == 1
                      ? QStringLiteral("The association %1 could not be given to this item:")
                      : QStringLiteral("The association %1 could not be given to these items:"))
                     .arg(name);
        add(failures);
    }
    if (!phraseFailures.isEmpty()) {
        lines << QStringLiteral("These phrases still list the items that joined %1:").arg(name);
        add(phraseFailures);
    }
    if (lost) {
        lines << QStringLiteral(
            "The connection to the server was lost: a write without an "
            "answer may have reached it.");
    }
    vars_.dialogs.MsgBox(lines.join(QLatin1Char('\n')), ui::Buttons::OK, ui::Icon::Exclamation,
                         kTitle);
}

}  // namespace tools

// SPDX-License-Identifier: MIT
#include "editing/ItemHistory.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QStringList>

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "core/DictionaryDiff.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/ChangeJournal.h"
#include "dictionary/OpenDictionary.h"
#include "editing/ItemPutBack.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"

namespace editing {

namespace {

using dictionary::ChangeOrigin;
using dictionary::JournalEntry;

// How much of a version its line in the list shows.
constexpr qsizetype kPreviewLength = 60;
QString When(const JournalEntry& entry) {
    return QDateTime::fromMSecsSinceEpoch(entry.msecsSinceEpoch)
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Happened(const JournalEntry& entry) {
    QString what = !entry.after   ? QStringLiteral("deleted")
                   : entry.before ? QStringLiteral("saved")
                                  : QStringLiteral("created");
    switch (entry.origin) {
        case ChangeOrigin::Undo:
            return what + QStringLiteral(" by an undo");
        case ChangeOrigin::Redo:
            return what + QStringLiteral(" by a redo");
        case ChangeOrigin::Restore:
            return what + QStringLiteral(" by a restore");
        case ChangeOrigin::Copy:
            return what + QStringLiteral(" by a copy");
        case ChangeOrigin::Automatic:
            return what + QStringLiteral(" by Kelvora");
        case ChangeOrigin::Edit:
            break;
    }
    return what;
}

// The start of a version, its fields parted by " | " and each shown as the item detail
// pane shows a value (marks as [VM], [SM], [TM]).
QString Preview(const std::optional<std::string>& record) {
    if (!record) {
        return QString();
    }
    QStringList fields;
    for (const std::string_view field : core::SplitFields(*record)) {
        fields << TextBridge::ToText(core::ShownValue(field));
    }
    QString text = fields.join(QStringLiteral(" | "));
    if (text.size() > kPreviewLength) {
        text = text.left(kPreviewLength) + QStringLiteral("...");
    }
    return QStringLiteral(": ") + text;
}

QString ShownField(const std::optional<std::string>& value) {
    return value
               ? QLatin1Char('"') + TextBridge::ToText(core::ShownValue(*value)) + QLatin1Char('"')
               : QStringLiteral("(no such field)");
}

// The fields a change changed, one line each as kelvora-cmd diff prints them. An item
// the change created or deleted is compared with an empty one, whose fields it did not
// have; a field that is empty on both sides is no change. The captions come from the
// side that holds the item (the later one when both do).
QString ChangedFields(const JournalEntry& change, const std::string& fileName) {
    const bool deleted = !change.after;
    const std::string before = change.before.value_or(std::string());
    const std::string after = change.after.value_or(std::string());
    std::vector<core::ItemDifference> differences = core::DiffDictionaries(
        {{change.id, deleted ? after : before}}, {{change.id, deleted ? before : after}}, fileName,
        /*compiled=*/false);
    QString lines;
    for (core::ItemDifference& item : differences) {
        for (core::FieldDifference& field : item.fields) {
            if (deleted) {
                std::swap(field.a, field.b);
                field.b.reset();
            } else if (!change.before) {
                field.a.reset();
            }
            if (field.a.value_or(std::string()).empty() &&
                field.b.value_or(std::string()).empty()) {
                continue;
            }
            lines += QStringLiteral("\n  field %1 (%2): %3 -> %4")
                         .arg(field.number)
                         .arg(TextBridge::ToText(field.caption), ShownField(field.a),
                              ShownField(field.b));
        }
    }
    return lines;
}

struct Version {
    QString line;
    std::optional<std::string> record;
};

std::vector<Version> VersionsOf(const std::vector<JournalEntry>& changes,
                                const std::string& fileName) {
    std::vector<Version> versions;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        const QString who = change->user.empty()
                                ? QString()
                                : QStringLiteral("\n  by ") + TextBridge::ToText(change->user);
        versions.push_back({When(*change) + QStringLiteral("  ") + Happened(*change) +
                                Preview(change->after) + ChangedFields(*change, fileName) + who,
                            change->after});
    }
    const JournalEntry& oldest = changes.front();
    versions.push_back({When(oldest) + QStringLiteral("  before that: ") +
                            (oldest.before ? QStringLiteral("as it was") + Preview(oldest.before)
                                           : QStringLiteral("did not exist")),
                        oldest.before});
    return versions;
}

}  // namespace

void ItemHistory::Show(int viewIndex) {
    dictionary::OpenDictionary& open = context_.open;
    ui::Dialogs& dialogs = context_.vars.dialogs;
    if (!dictionary::IsViewIndex(viewIndex) || !open.IsOpen() || !open.journal) {
        return;
    }
    const grid::DataGrid& grid = context_.screen.Grid(dictionary::ViewAt(viewIndex));
    const auto rows = grid.BoundArray();
    const int row = grid.CurrentRow();
    if (!rows || row < 0 || row >= rows->RowCount()) {
        dialogs.Beep();  // the line of a new row shows no item yet
        return;
    }
    if (SettleRowsBefore(context_, QStringLiteral("choose History")) == RowsSettled::StillPending) {
        return;
    }
    ShowItem(rows->Cell(row, 0));
}

void ItemHistory::ShowDeleted() {
    dictionary::OpenDictionary& open = context_.open;
    ui::Dialogs& dialogs = context_.vars.dialogs;
    if (!open.IsOpen() || !open.journal) {
        dialogs.Beep();
        return;
    }
    if (SettleRowsBefore(context_, QStringLiteral("choose History of a deleted item")) ==
        RowsSettled::StillPending) {
        return;
    }
    // The items whose last change that reached the account was their delete, and that
    // the account does not hold again: the most recently deleted first.
    const std::string file = TextBridge::ToBytes(open.name);
    std::vector<std::string> order;
    std::map<std::string, bool> deleted;
    for (const JournalEntry& entry : open.journal->ReadHistory(file)) {
        if (entry.file != file || entry.outcome != dictionary::ChangeOutcome::Done) {
            continue;
        }
        if (deleted.count(entry.id) == 0) {
            order.push_back(entry.id);
        }
        deleted[entry.id] = !entry.after;
        if (!entry.after) {
            std::erase(order, entry.id);
            order.push_back(entry.id);
        }
    }
    QStringList ids;
    for (auto id = order.rbegin(); id != order.rend(); ++id) {
        if (deleted[*id] && open.views->Records().Find(*id) == nullptr) {
            ids << TextBridge::ToText(*id);
        }
    }
    const QString title = QStringLiteral("History of a deleted item");
    if (ids.isEmpty()) {
        dialogs.MsgBox(QStringLiteral("No deleted item of ") + open.name +
                           QStringLiteral(" is recorded in this account's journal."),
                       ui::Buttons::OK, ui::Icon::Information, title);
        return;
    }
    const std::optional<int> picked = dialogs.ChooseFromList(
        QStringLiteral("The deleted items of ") + open.name +
            QStringLiteral(", the most recently deleted first. Show the history of which one?"),
        title, ids, QStringLiteral("History"));
    if (picked && *picked >= 0 && *picked < ids.size()) {
        ShowItem(ids[*picked]);
    }
}

void ItemHistory::ShowItem(const QString& itemId) {
    dictionary::OpenDictionary& open = context_.open;
    ui::Dialogs& dialogs = context_.vars.dialogs;
    const std::string id = TextBridge::ToBytes(itemId);
    const std::string file = TextBridge::ToBytes(open.name);
    std::vector<JournalEntry> changes;
    for (JournalEntry& entry : open.journal->ReadHistory(file)) {
        // Only what reached the account is a version it held.
        if (entry.file == file && entry.id == id &&
            entry.outcome == dictionary::ChangeOutcome::Done) {
            changes.push_back(std::move(entry));
        }
    }
    const QString title = QStringLiteral("History of ") + itemId;
    if (changes.empty()) {
        dialogs.MsgBox(QStringLiteral("No change of ") + itemId +
                           QStringLiteral(" is recorded in this account's journal."),
                       ui::Buttons::OK, ui::Icon::Information, title);
        return;
    }
    const std::vector<Version> versions = VersionsOf(changes, file);
    QStringList lines;
    for (const Version& version : versions) {
        lines << version.line;
    }
    const QString only = open.journal->HistoryFromThisComputerOnly()
                             ? QStringLiteral(
                                   " This server keeps no history: these are the "
                                   "changes made from this computer only.")
                             : QString();
    const std::optional<int> picked =
        dialogs.ChooseFromList(QStringLiteral("The recorded versions of ") + itemId +
                                   QStringLiteral(", newest first. Restore which one?") + only,
                               title, lines, QStringLiteral("Restore"));
    if (!picked || *picked < 0 || *picked >= static_cast<int>(versions.size())) {
        return;
    }
    const Version& version = versions[static_cast<std::size_t>(*picked)];
    const std::string* read = open.views->Records().Find(id);
    const bool done =
        PutBackItem(context_, opener_, id, version.record, ChangeOrigin::Restore,
                    read != nullptr ? std::optional<std::string>(*read) : std::nullopt);
    if (done) {
        context_.screen.ShowStatus(QStringLiteral("Restored ") + itemId +
                                       QStringLiteral(" as of ") + version.line.left(19),
                                   dictionary::kNoteShownMs);
    }
}

}  // namespace editing

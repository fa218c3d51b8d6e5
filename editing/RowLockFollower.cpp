// SPDX-License-Identifier: MIT
#include "editing/RowLockFollower.h"

#include <QObject>

#include "connection/Reconnect.h"
#include "connection/SettingsFile.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/OpenDictionary.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"

namespace editing {

RowLockFollower::RowLockFollower(const dictionary::DictionaryContext& context)
    : context_(context), connections_(std::make_unique<QObject>()) {}

RowLockFollower::~RowLockFollower() = default;

void RowLockFollower::Connect() {
    // The follower's own object ends the connections when the follower goes: a window
    // being destroyed still closes its cell editors after its handlers are gone.
    QObject* const context = connections_.get();
    for (grid::DataGrid* grid : context_.screen.Grids()) {
        const int view = grid->ViewIndex();
        const grid::RowArrayModel* model = grid->Model();
        QObject::connect(model, &grid::RowArrayModel::pendingRowStarted, context,
                         [this, view](int row) { Started(view, row); });
        QObject::connect(model, &QAbstractItemModel::dataChanged, context,
                         [this, view] { Changed(view); });
        QObject::connect(model, &grid::RowArrayModel::pendingRowEnded, context,
                         [this, view] { Ended(view); });
        // The first keystroke in a cell editor takes the lock, before the row is pending;
        // an editor closed without making the row pending (Escape, the text put back)
        // lets it go again.
        QObject::connect(grid, &grid::DataGrid::typingStarted, context,
                         [this, grid](int viewIndex, int row) {
                             if (!grid->HasPendingRow()) {
                                 Started(viewIndex, row);
                             }
                         });
        QObject::connect(grid, &grid::DataGrid::editorClosed, context, [this, grid](int viewIndex) {
            if (!grid->HasPendingRow()) {
                Ended(viewIndex);
            }
        });
    }
}

bool RowLockFollower::Wanted() const {
    const QString value = SettingsFile(context_.vars.programFolder)
                              .Read(SettingsFile::kLockWhileEditing)
                              .trimmed()
                              .toLower();
    return !(value == QLatin1String("no") || value == QLatin1String("false") ||
             value == QLatin1String("off") || value == QLatin1String("0"));
}

void RowLockFollower::Started(int viewIndex, int row) {
    const grid::DataGrid& grid = *context_.screen.Grids()[static_cast<std::size_t>(viewIndex)];
    std::string& item = rowItems_[static_cast<std::size_t>(viewIndex)];
    // A new row names no item yet: its save locks whatever id it is given.
    const std::string wanted = context_.open.IsOpen() && row >= 0 && row < grid.NewRowLine()
                                   ? TextBridge::ToBytes(grid.BoundArray()->Cell(row, 0))
                                   : std::string();
    if (!item.empty() && item == wanted && context_.open.locks.Editing(item)) {
        return;  // the first keystroke took it already
    }
    if (!item.empty()) {
        Ended(viewIndex);  // an editor that went without closing held another row's lock
    }
    if (wanted.empty() || !Wanted()) {
        return;
    }
    item = wanted;
    Lock(viewIndex);
}

void RowLockFollower::Changed(int viewIndex) {
    // A new login ended the session's locks: the row takes its lock again as it changes.
    const std::string& item = rowItems_[static_cast<std::size_t>(viewIndex)];
    if (!item.empty() && context_.open.IsOpen() && !context_.open.locks.Editing(item)) {
        Lock(viewIndex);
    }
}

void RowLockFollower::Lock(int viewIndex) {
    std::string& item = rowItems_[static_cast<std::size_t>(viewIndex)];
    dictionary::OpenDictionary& open = context_.open;
    const QString shown = TextBridge::ToText(item);
    switch (open.locks.StartEditing(*open.file, item)) {
        case dictionary::ItemLocks::Outcome::Locked:
            return;
        case dictionary::ItemLocks::Outcome::HeldByOther:
            context_.screen.ShowStatus(
                shown + QStringLiteral(" is ") + TextBridge::ToText(open.locks.LockedBy()),
                dictionary::kNoteShownMs);
            break;
        case dictionary::ItemLocks::Outcome::Failed:
            // A dropped connection is met by the save; a server that will not lock is
            // said once, and rows are changed without locks from then on.
            if (!ConnectionDropped(context_.vars, open.locks.Failure()) &&
                open.locks.MarkEditingRefused()) {
                context_.screen.ShowStatus(
                    QStringLiteral("The server refused to lock %1 (code %2): rows are changed "
                                   "without locks")
                        .arg(shown)
                        .arg(open.locks.Failure()),
                    dictionary::kNoteShownMs);
            }
            break;
        case dictionary::ItemLocks::Outcome::Refused:
            break;
    }
    item.clear();  // not tried again for this row: its save checks and locks
}

void RowLockFollower::Ended(int viewIndex) {
    std::string item = std::move(rowItems_[static_cast<std::size_t>(viewIndex)]);
    rowItems_[static_cast<std::size_t>(viewIndex)].clear();
    if (!item.empty() && context_.open.IsOpen()) {
        context_.open.locks.EndEditing(*context_.open.file, item);
    }
}

}  // namespace editing

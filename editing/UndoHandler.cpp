// SPDX-License-Identifier: MIT
#include "editing/UndoHandler.h"

#include <algorithm>

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/ChangeJournal.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "editing/ItemPutBack.h"
#include "editing/UnexpectedFailure.h"

namespace editing {

namespace {

using dictionary::ChangeOrigin;

QString WhatChanged(const dictionary::JournalEntry& entry) {
    const QString id = TextBridge::ToText(entry.id);
    if (entry.origin == ChangeOrigin::Copy) {
        return QStringLiteral("copy to ") + id;
    }
    if (entry.origin == ChangeOrigin::Restore) {
        return QStringLiteral("restore of ") + id;
    }
    if (!entry.after) {
        return QStringLiteral("delete of ") + id;
    }
    return QStringLiteral("save of ") + id;
}

// The user's own changes; undoing and redoing them makes no new step.
bool IsUndoable(const dictionary::JournalEntry& entry) {
    return entry.outcome == dictionary::ChangeOutcome::Done &&
           (entry.origin == ChangeOrigin::Edit || entry.origin == ChangeOrigin::Copy ||
            entry.origin == ChangeOrigin::Restore);
}

// The changes of a step the user made, in the order made: a group's own changes that
// reached the account.
std::vector<dictionary::JournalEntry> ChangesOf(const dictionary::ChangeJournal& journal,
                                                std::uint64_t first, std::uint64_t last) {
    std::vector<dictionary::JournalEntry> changes;
    for (std::uint64_t sequence = first; sequence <= last; ++sequence) {
        const dictionary::JournalEntry* entry = journal.SessionEntry(sequence);
        if (entry != nullptr && IsUndoable(*entry)) {
            changes.push_back(*entry);
        }
    }
    return changes;
}

}  // namespace

const core::JournalEntry& UndoHandler::EntryOf(const Step& step) {
    return *step.journal->SessionEntry(step.sequence);
}

QString UndoHandler::WhatStepChanged(const Step& step) {
    const dictionary::ChangeJournal::Group* group = step.journal->GroupOf(step.sequence);
    if (group != nullptr) {
        return QStringLiteral("rename of ") + TextBridge::ToText(group->changes.from) +
               QStringLiteral(" to ") + TextBridge::ToText(group->changes.to);
    }
    return WhatChanged(EntryOf(step));
}

bool UndoHandler::PutBackStep(const Step& step, bool back) {
    std::vector<dictionary::JournalEntry> changes =
        ChangesOf(*step.journal, step.sequence, step.last);
    if (back) {
        std::reverse(changes.begin(), changes.end());
    }
    const auto putBack = [this](const dictionary::JournalEntry& entry, bool toBefore,
                                ChangeOrigin origin) {
        return PutBackItem(context_, opener_, entry.id, toBefore ? entry.before : entry.after,
                           origin, toBefore ? entry.after : entry.before);
    };
    const ChangeOrigin origin = back ? ChangeOrigin::Undo : ChangeOrigin::Redo;
    const ChangeOrigin reverse = back ? ChangeOrigin::Redo : ChangeOrigin::Undo;
    // The changes that put back a group are grouped as it was.
    std::optional<dictionary::ChangeGroup> together;
    if (const dictionary::ChangeJournal::Group* group = step.journal->GroupOf(step.sequence)) {
        together.emplace(context_.open, group->changes.kind, group->changes.from,
                         group->changes.to);
    }
    for (std::size_t done = 0; done < changes.size(); ++done) {
        if (putBack(changes[done], back, origin)) {
            continue;
        }
        // Half a rename would leave an item under neither name, or a phrase naming
        // an item that is not there: what was put back goes forward again.
        while (done > 0) {
            --done;
            putBack(changes[done], !back, reverse);
        }
        if (together) {
            together->Drop();
        }
        context_.screen.ShowStatus(QStringLiteral("The %1 was not %2: nothing was changed.")
                                       .arg(WhatStepChanged(step), back ? QStringLiteral("undone")
                                                                        : QStringLiteral("redone")),
                                   dictionary::kNoteShownMs);
        return false;
    }
    return true;
}

bool UndoHandler::Undo() {
    bool done = false;
    RunGuarded(context_.vars.dialogs, [&] { done = Move(Direction::Back); });
    return done;
}

bool UndoHandler::Redo() {
    bool done = false;
    RunGuarded(context_.vars.dialogs, [&] { done = Move(Direction::Forward); });
    return done;
}

QString UndoHandler::UndoText() {
    Collect();
    return Describe(undo_, QStringLiteral("Undo"));
}

QString UndoHandler::RedoText() {
    Collect();
    return Describe(redo_, QStringLiteral("Redo"));
}

QString UndoHandler::Describe(const std::vector<Step>& steps, const QString& verb) {
    const int index = NewestOfOpen(steps);
    if (index < 0) {
        return QString();
    }
    return verb + QLatin1Char(' ') + WhatStepChanged(steps[static_cast<std::size_t>(index)]);
}

void UndoHandler::Collect() {
    const std::shared_ptr<dictionary::ChangeJournal>& current = context_.open.journal;
    const bool known = std::any_of(journals_.begin(), journals_.end(),
                                   [&](const Seen& seen) { return seen.journal == current; });
    if (current && !known) {
        journals_.push_back({current, 0});
    }
    // Changes made through a journal that is no longer the open one (another account) stay
    // in the lists, to be undone when it is open again.
    for (Seen& seen : journals_) {
        CollectFrom(seen);
        // The changes go on, kept in memory: the user learns once that they will not
        // outlive the run.
        if (!seen.problemTold && !seen.journal->Problem().isEmpty()) {
            seen.problemTold = true;
            context_.screen.ShowStatus(
                QStringLiteral("The journal of changes cannot be written (") +
                    seen.journal->Problem() +
                    QStringLiteral("). Undo and History work in this run, but its changes are not "
                                   "kept for later runs."),
                dictionary::kNoteShownMs);
        }
    }
}

void UndoHandler::CollectFrom(Seen& seen) {
    const std::vector<dictionary::JournalEntry>& entries = seen.journal->SessionEntries();
    for (; seen.entries < entries.size(); ++seen.entries) {
        const dictionary::JournalEntry& entry = entries[seen.entries];
        const dictionary::ChangeJournal::Group* group = seen.journal->GroupOf(entry.sequence);
        if (group != nullptr && group->open) {
            break;  // a group still being made: looked at once it is whole
        }
        if (entry.outcome == dictionary::ChangeOutcome::Unknown &&
            seen.entries + 1 == entries.size()) {
            break;  // still being made: looked at once the account answered
        }
        Step step{seen.journal, entry.sequence, entry.sequence};
        if (group != nullptr) {
            // A group is looked at whole, once: a step when it was kept and holds a
            // change of the user's.
            seen.entries = static_cast<std::size_t>(group->changes.last) - 1;
            step.last = group->changes.last;
            if (!group->kept ||
                ChangesOf(*seen.journal, entry.sequence, group->changes.last).empty()) {
                continue;
            }
        } else if (!IsUndoable(entry)) {
            continue;
        }
        // A new change of a dictionary ends what could be redone in it.
        std::erase_if(redo_, [&](const Step& done) {
            return done.journal == seen.journal && EntryOf(done).file == entry.file;
        });
        undo_.push_back(step);
    }
}

int UndoHandler::NewestOfOpen(const std::vector<Step>& steps) const {
    const dictionary::OpenDictionary& open = context_.open;
    if (!open.IsOpen() || !open.journal) {
        return -1;
    }
    const std::string file = TextBridge::ToBytes(open.name);
    for (int index = static_cast<int>(steps.size()) - 1; index >= 0; --index) {
        const Step& step = steps[static_cast<std::size_t>(index)];
        if (step.journal == open.journal && EntryOf(step).file == file) {
            return index;
        }
    }
    return -1;
}

void UndoHandler::TellNothingTo(const QString& verb, const std::vector<Step>& steps) {
    context_.vars.dialogs.Beep();
    QString note = QStringLiteral("Nothing to ") + verb.toLower();
    if (context_.open.IsOpen()) {
        note += QStringLiteral(" in ") + context_.open.name;
    }
    note += QLatin1Char('.');
    if (!steps.empty()) {
        const Step& last = steps.back();
        const dictionary::JournalEntry& entry = EntryOf(last);
        const QString file = TextBridge::ToText(entry.file);
        note += last.journal == context_.open.journal
                    ? QStringLiteral(" The last change to %1 is the %2 in %3: open %3 to %1 it.")
                          .arg(verb.toLower(), WhatStepChanged(last), file)
                    : QStringLiteral(
                          " The last change to %1 is the %2 in %3 of another "
                          "account: log in to it and open %3 to %1 it.")
                          .arg(verb.toLower(), WhatStepChanged(last), file);
    }
    context_.screen.ShowStatus(note, dictionary::kNoteShownMs);
}

bool UndoHandler::Move(Direction direction) {
    Collect();
    const bool back = direction == Direction::Back;
    std::vector<Step>& from = back ? undo_ : redo_;
    std::vector<Step>& to = back ? redo_ : undo_;
    const QString verb = back ? QStringLiteral("Undo") : QStringLiteral("Redo");
    if (NewestOfOpen(from) < 0) {
        TellNothingTo(verb, from);
        return false;
    }
    switch (SettleRowsBefore(context_, verb.toLower())) {
        case RowsSettled::NonePending:
            break;
        case RowsSettled::NowSettled:
            // The settled row may be a new change: the user sees what the next undo does.
            context_.screen.ShowStatus(
                QStringLiteral("The changed row was settled first. Press %1 again to %2 %3.")
                    .arg(back ? QStringLiteral("Ctrl+Z") : QStringLiteral("Ctrl+Shift+Z"),
                         verb.toLower(),
                         back ? QStringLiteral("the last change")
                              : QStringLiteral("the last undone change")),
                dictionary::kNoteShownMs);
            return false;
        case RowsSettled::StillPending:
            return false;
    }
    // The settling saw no change: the step is still the newest.
    const int index = NewestOfOpen(from);
    if (index < 0) {
        return false;
    }
    const Step step = from[static_cast<std::size_t>(index)];
    if (!PutBackStep(step, back)) {
        return false;
    }
    from.erase(from.begin() + index);
    to.push_back(step);
    Collect();
    context_.screen.ShowStatus(
        (back ? QStringLiteral("Undone: ") : QStringLiteral("Redone: ")) + WhatStepChanged(step),
        dictionary::kNoteShownMs);
    return true;
}

}  // namespace editing

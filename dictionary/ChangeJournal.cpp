// SPDX-License-Identifier: MIT
#include "dictionary/ChangeJournal.h"

#include <algorithm>
#include <cstdlib>

#include <QFile>
#include <QStandardPaths>

namespace dictionary {

namespace {

// How far apart the server's record and this computer's of one change may lie in time.
constexpr std::int64_t kSameChangeMs = 60 * 1000;

}  // namespace

ChangeJournal::ChangeJournal(std::string accountKey, QString path, std::int64_t capBytes)
    : file_(std::move(accountKey), QFile::encodeName(path).toStdString(), capBytes),
      path_(std::move(path)) {
    const QString ownJournal = UserDataPath(file_.AccountKey());
    if (path_ != ownJournal && path_ == DefaultPath(file_.AccountKey())) {
        file_.AlsoRead(QFile::encodeName(ownJournal).toStdString());
    }
}

std::string ChangeJournal::AccountKeyOf(const mv::Session& session) {
    return core::JournalFile::AccountKeyOf(session);
}

ChangeJournal::ChangeJournal(std::string accountKey)
    : file_(std::move(accountKey)),
      path_(QFile::decodeName(QByteArray::fromStdString(file_.Path()))) {}

QString ChangeJournal::DefaultPath(const std::string& accountKey) {
    const std::string path = core::JournalFile::PathOf(accountKey);
    if (path != core::JournalFile::DefaultPathOf(accountKey)) {
        return QFile::decodeName(QByteArray::fromStdString(path));
    }
    return UserDataPath(accountKey);
}

QString ChangeJournal::UserDataPath(const std::string& accountKey) {
    // The data folder as Qt knows it on each platform; the rest is the journal's own rule.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QFile::decodeName(QByteArray::fromStdString(
        core::JournalFile::PathUnder(QFile::encodeName(data).toStdString(), accountKey)));
}

void ChangeJournal::TakeProblem() {
    if (!file_.Problem().empty()) {
        problem_ = QString::fromLocal8Bit(file_.Problem());
    }
}

std::uint64_t ChangeJournal::Begin(ChangeOrigin origin, const std::string& file,
                                   const std::string& id, const std::optional<std::string>& before,
                                   const std::optional<std::string>& after) {
    session_.push_back(file_.NextChange(origin, file, id, before, after));
    const JournalEntry& entry = session_.back();
    if (!groups_.empty() && groups_.back().open) {
        groups_.back().changes.last = entry.sequence;
    }
    if (!file_.Append(entry)) {
        unwritten_.push_back(entry.sequence);
    }
    TakeProblem();
    return entry.sequence;
}

void ChangeJournal::Finish(std::uint64_t sequence, ChangeOutcome outcome) {
    if (sequence == 0 || sequence > session_.size()) {
        return;
    }
    session_[sequence - 1].outcome = outcome;
    if (std::find(unwritten_.begin(), unwritten_.end(), sequence) == unwritten_.end()) {
        file_.Finish(sequence, outcome);
        TakeProblem();
    }
}

bool ChangeJournal::OpenGroup(core::ChangeGroupKind kind, const std::string& from,
                              const std::string& to) {
    if (!groups_.empty() && groups_.back().open) {
        return false;
    }
    // Empty until its first change: first is past last.
    const std::uint64_t next = session_.size() + 1;
    groups_.push_back({{file_.RunId(), next, next - 1, kind, from, to}, true, true});
    return true;
}

void ChangeJournal::CloseGroup(bool kept) {
    if (groups_.empty() || !groups_.back().open) {
        return;
    }
    Group& group = groups_.back();
    group.open = false;
    group.kept = kept;
    const core::JournalGroup& changes = group.changes;
    if (changes.last < changes.first) {
        groups_.pop_back();
        return;
    }
    // The file knows the group only when every change of it is there to be grouped.
    const bool allWritten =
        std::none_of(unwritten_.begin(), unwritten_.end(), [&](std::uint64_t sequence) {
            return sequence >= changes.first && sequence <= changes.last;
        });
    if (kept && allWritten) {
        file_.AppendGroup(changes.first, changes.last, changes.kind, changes.from, changes.to);
        TakeProblem();
    }
}

const ChangeJournal::Group* ChangeJournal::GroupOf(std::uint64_t sequence) const {
    for (auto group = groups_.rbegin(); group != groups_.rend(); ++group) {
        if (sequence >= group->changes.first && sequence <= group->changes.last) {
            return &*group;
        }
    }
    return nullptr;
}

const JournalEntry* ChangeJournal::SessionEntry(std::uint64_t sequence) const {
    if (sequence == 0 || sequence > session_.size()) {
        return nullptr;
    }
    return &session_[sequence - 1];
}

std::vector<JournalEntry> ChangeJournal::ReadHistory(const std::string& file) const {
    thisComputerOnly_ = false;
    if (historySource_) {
        if (std::optional<std::vector<JournalEntry>> served = historySource_(file)) {
            // A change this computer journaled too is shown as it journaled it: the
            // server cannot tell an undo or a restore from an edit.
            const std::vector<JournalEntry> own = ReadAll();
            for (JournalEntry& entry : *served) {
                const auto same =
                    std::find_if(own.begin(), own.end(), [&](const JournalEntry& mine) {
                        return mine.file == entry.file && mine.id == entry.id &&
                               mine.before == entry.before && mine.after == entry.after &&
                               std::abs(mine.msecsSinceEpoch - entry.msecsSinceEpoch) <
                                   kSameChangeMs;
                    });
                if (same != own.end()) {
                    entry.origin = same->origin;
                }
            }
            return std::move(*served);
        }
        thisComputerOnly_ = true;
    }
    return ReadAll();
}

std::vector<JournalEntry> ChangeJournal::ReadAll() const {
    std::vector<JournalEntry> entries = file_.ReadAll();
    // This run's memory knows best what became of its own changes.
    for (JournalEntry& entry : entries) {
        if (entry.session == file_.RunId()) {
            if (const JournalEntry* own = SessionEntry(entry.sequence)) {
                entry.outcome = own->outcome;
            }
        }
    }
    for (const std::uint64_t sequence : unwritten_) {
        if (const JournalEntry* own = SessionEntry(sequence)) {
            entries.push_back(*own);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const JournalEntry& a, const JournalEntry& b) {
                         return a.msecsSinceEpoch < b.msecsSinceEpoch;
                     });
    return entries;
}

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#include "dictionary/ChangeJournal.h"

#include <algorithm>

#include <QFile>
#include <QStandardPaths>

namespace dictionary {

ChangeJournal::ChangeJournal(std::string accountKey, QString path, std::int64_t capBytes)
    : file_(std::move(accountKey), QFile::encodeName(path).toStdString(), capBytes),
      path_(std::move(path)) {}

std::string ChangeJournal::AccountKeyOf(const mv::Session& session) {
    return core::JournalFile::AccountKeyOf(session);
}

QString ChangeJournal::DefaultPath(const std::string& accountKey) {
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

const JournalEntry* ChangeJournal::SessionEntry(std::uint64_t sequence) const {
    if (sequence == 0 || sequence > session_.size()) {
        return nullptr;
    }
    return &session_[sequence - 1];
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

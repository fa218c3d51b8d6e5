// SPDX-License-Identifier: MIT
#include "dictionary/DescriptorMarks.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "connection/TextBridge.h"
#include "dictionary/ViewSet.h"
#include "platform/mv/DescriptorCheck.h"
#include "platform/mv/compiler/ItemSource.h"

namespace dictionary {

namespace {

QString ProblemText(const mv::DescriptorOutcome& outcome) {
    if (outcome.outOfMemory) {
        return QStringLiteral("Does not compile: the expression is too big to compile.");
    }
    return QStringLiteral("Does not compile, at column %1: %2")
        .arg(outcome.column)
        .arg(TextBridge::ToText(outcome.message));
}

// The records as read, as the compiler reads items, without copying one.
class RecordsSource final : public mv::ItemSource {
public:
    explicit RecordsSource(const RecordsAsRead& records) : records_(records) {}
    const std::string* Find(const std::string& id) override { return records_.Find(id); }

private:
    const RecordsAsRead& records_;
};

}  // namespace

bool DescriptorMarks::Update(const std::shared_ptr<const ViewSet>& views) {
    if (!views) {
        return false;
    }
    const RecordsAsRead& records = views->Records();
    const bool sameViews = compiledFor_.lock() == views;
    if (sameViews && changesCompiled_ == records.Changes()) {
        return false;
    }
    RecordsSource source(records);
    std::vector<std::string> changed;
    bool marksChanged = false;
    if (sameViews && records.ChangedSince(changesCompiled_, changed)) {
        const std::vector<std::string> affected = Affected(std::move(changed));
        QHash<QString, QString> before;
        for (const std::string& id : affected) {
            const QString text = TextBridge::ToText(id);
            if (const auto problem = problems_.constFind(text); problem != problems_.constEnd()) {
                before.insert(text, problem.value());
            }
            Forget(id);
        }
        Note(mv::CompileDescriptors(source, affected));
        for (const std::string& id : affected) {
            const QString text = TextBridge::ToText(id);
            const auto problem = problems_.constFind(text);
            const QString* now = problem == problems_.constEnd() ? nullptr : &problem.value();
            const auto old = before.constFind(text);
            const QString* was = old == before.constEnd() ? nullptr : &old.value();
            marksChanged = marksChanged || (now == nullptr) != (was == nullptr) ||
                           (now != nullptr && *now != *was);
        }
    } else {
        const QHash<QString, QString> before = std::move(problems_);
        problems_.clear();
        namesLookedUp_.clear();
        lookedUpBy_.clear();
        std::vector<std::string> ids;
        ids.reserve(records.Count());
        records.ForEach([&ids](const std::string& id, const std::string&) { ids.push_back(id); });
        Note(mv::CompileDescriptors(source, ids));
        marksChanged = problems_ != before;
    }
    compiledFor_ = views;
    changesCompiled_ = records.Changes();
    return marksChanged;
}

std::vector<std::string> DescriptorMarks::Affected(std::vector<std::string> changed) const {
    // A descriptor's mark follows from its own record and the items its compile looked
    // up; one that looked up a descriptor also follows that one, for circular references.
    std::unordered_set<std::string> seen(changed.begin(), changed.end());
    for (std::size_t next = 0; next < changed.size(); ++next) {
        const auto users = lookedUpBy_.find(changed[next]);
        if (users == lookedUpBy_.end()) {
            continue;
        }
        for (const std::string& user : users->second) {
            if (seen.insert(user).second) {
                changed.push_back(user);
            }
        }
    }
    return changed;
}

void DescriptorMarks::Forget(const std::string& id) {
    problems_.remove(TextBridge::ToText(id));
    const auto names = namesLookedUp_.find(id);
    if (names == namesLookedUp_.end()) {
        return;
    }
    for (const std::string& name : names->second) {
        const auto users = lookedUpBy_.find(name);
        if (users == lookedUpBy_.end()) {
            continue;
        }
        std::erase(users->second, id);
        if (users->second.empty()) {
            lookedUpBy_.erase(users);
        }
    }
    namesLookedUp_.erase(names);
}

void DescriptorMarks::Note(std::vector<mv::DescriptorOutcome> outcomes) {
    for (mv::DescriptorOutcome& outcome : outcomes) {
        if (!outcome.compiled) {
            problems_.insert(TextBridge::ToText(outcome.id), ProblemText(outcome));
        }
        for (const std::string& name : outcome.namesLookedUp) {
            lookedUpBy_[name].push_back(outcome.id);
        }
        namesLookedUp_[outcome.id] = std::move(outcome.namesLookedUp);
    }
}

const QString* DescriptorMarks::ProblemOf(const QString& itemId) const {
    const auto found = problems_.constFind(itemId);
    return found == problems_.constEnd() ? nullptr : &found.value();
}

}  // namespace dictionary

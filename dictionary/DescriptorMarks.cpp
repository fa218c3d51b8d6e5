// SPDX-License-Identifier: MIT
#include "dictionary/DescriptorMarks.h"

#include <string>
#include <utility>
#include <vector>

#include "connection/TextBridge.h"
#include "dictionary/ViewSet.h"
#include "platform/mv/DescriptorCheck.h"

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

}  // namespace

bool DescriptorMarks::Update(const std::shared_ptr<const ViewSet>& views) {
    if (!views) {
        return false;
    }
    const RecordsAsRead& records = views->Records();
    if (compiledFor_.lock() == views && changesCompiled_ == records.Changes()) {
        return false;
    }
    std::vector<std::pair<std::string, std::string>> items;
    items.reserve(records.Count());
    records.ForEach([&items](const std::string& id, const std::string& record) {
        items.emplace_back(id, record);
    });
    QHash<QString, QString> problems;
    for (const mv::DescriptorOutcome& outcome : mv::CompileDescriptors(items)) {
        if (!outcome.compiled) {
            problems.insert(TextBridge::ToText(outcome.id), ProblemText(outcome));
        }
    }
    compiledFor_ = views;
    changesCompiled_ = records.Changes();
    if (problems == problems_) {
        return false;
    }
    problems_ = std::move(problems);
    return true;
}

const QString* DescriptorMarks::ProblemOf(const QString& itemId) const {
    const auto found = problems_.constFind(itemId);
    return found == problems_.constEnd() ? nullptr : &found.value();
}

}  // namespace dictionary

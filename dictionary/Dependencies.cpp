// SPDX-License-Identifier: MIT
#include "dictionary/Dependencies.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

#include <QStringList>

#include "core/Classification.h"
#include "dictionary/RecordsAsRead.h"
#include "platform/mv/DescriptorCheck.h"
#include "platform/mv/RecordFormat.h"

namespace dictionary {

namespace {

bool IsPhrase(std::string_view record) {
    return core::TypeCodeOf(mv::FieldText(record, 1)) == "PH";
}

// The words of a phrase, split at each blank as the phrase view splits them, that are
// items of the dictionary; each once, in order.
std::vector<std::string> PhraseNames(std::string_view phrase, const RecordsAsRead& records) {
    std::vector<std::string> names;
    std::unordered_set<std::string_view> seen;
    std::size_t from = 0;
    while (from <= phrase.size()) {
        const std::size_t blank = std::min(phrase.find(' ', from), phrase.size());
        const std::string_view word = phrase.substr(from, blank - from);
        from = blank + 1;
        if (word.empty() || !seen.insert(word).second) {
            continue;
        }
        std::string name(word);
        if (records.Find(name) != nullptr) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString JoinedAsSentence(const QStringList& parts) {
    if (parts.size() <= 1) {
        return parts.value(0);
    }
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           parts.last();
}

}  // namespace

Dependencies::Dependencies(const RecordsAsRead& records) {
    std::vector<std::pair<std::string, std::string>> items;
    items.reserve(records.Count());
    std::vector<std::pair<std::string, std::string>> phrases;
    records.ForEach([&](const std::string& id, const std::string& record) {
        items.emplace_back(id, record);
        if (IsPhrase(record)) {
            phrases.emplace_back(id, std::string(mv::FieldText(record, 2)));
        }
    });
    for (mv::DescriptorUses& descriptor : mv::NamesUsedByDescriptors(items)) {
        for (const std::string& name : descriptor.names) {
            if (name != descriptor.id) {
                usedBy_[name].push_back({descriptor.id, false});
            }
        }
        uses_[descriptor.id] = std::move(descriptor.names);
    }
    for (const auto& [id, phrase] : phrases) {
        std::vector<std::string> names = PhraseNames(phrase, records);
        for (const std::string& name : names) {
            if (name != id) {
                usedBy_[name].push_back({id, true});
            }
        }
        uses_[id] = std::move(names);
    }
    for (auto& [name, users] : usedBy_) {
        std::sort(users.begin(), users.end(), [](const User& a, const User& b) {
            return a.phrase != b.phrase ? !a.phrase : a.id < b.id;
        });
    }
}

const std::vector<Dependencies::User>& Dependencies::UsedBy(const std::string& id) const {
    static const std::vector<User> kNone;
    const auto found = usedBy_.find(id);
    return found == usedBy_.end() ? kNone : found->second;
}

const std::vector<std::string>& Dependencies::Uses(const std::string& id) const {
    static const std::vector<std::string> kNone;
    const auto found = uses_.find(id);
    return found == uses_.end() ? kNone : found->second;
}

QString UsersInWords(const std::vector<Dependencies::User>& users) {
    QStringList parts;
    for (const Dependencies::User& user : users) {
        parts << (user.phrase ? QStringLiteral("the phrase ") : QString()) + Latin1(user.id);
    }
    return JoinedAsSentence(parts);
}

QString NamesInWords(const std::vector<std::string>& names) {
    QStringList parts;
    for (const std::string& name : names) {
        parts << Latin1(name);
    }
    return JoinedAsSentence(parts);
}

}  // namespace dictionary

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
#include "platform/mv/compiler/ItemSource.h"

namespace dictionary {

namespace {

bool IsPhrase(std::string_view record) {
    return core::TypeCodeOf(mv::FieldText(record, 1)) == "PH";
}

// The words of a phrase, split at each blank as the phrase view splits them, each once, in
// order.
std::vector<std::string> PhraseWords(std::string_view phrase) {
    std::vector<std::string> words;
    std::unordered_set<std::string_view> seen;
    std::size_t from = 0;
    while (from <= phrase.size()) {
        const std::size_t blank = std::min(phrase.find(' ', from), phrase.size());
        const std::string_view word = phrase.substr(from, blank - from);
        from = blank + 1;
        if (!word.empty() && seen.insert(word).second) {
            words.emplace_back(word);
        }
    }
    return words;
}

// The records as read, as the compiler reads items, without copying one.
class RecordsSource final : public mv::ItemSource {
public:
    explicit RecordsSource(const RecordsAsRead& records) : records_(records) {}
    const std::string* Find(const std::string& id) override { return records_.Find(id); }

private:
    const RecordsAsRead& records_;
};

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
    std::vector<std::string> ids;
    ids.reserve(records.Count());
    records.ForEach([&ids](const std::string& id, const std::string&) { ids.push_back(id); });
    Add(records, ids);
    for (auto& [name, users] : usedBy_) {
        SortUsers(users);
    }
}

void Dependencies::Update(const RecordsAsRead& records, const std::vector<std::string>& changed) {
    // What an item names follows from its own record and the names it looked up.
    std::vector<std::string> affected = changed;
    std::unordered_set<std::string> seen(changed.begin(), changed.end());
    for (const std::string& id : changed) {
        if (const auto users = lookedUpBy_.find(id); users != lookedUpBy_.end()) {
            for (const std::string& user : users->second) {
                if (seen.insert(user).second) {
                    affected.push_back(user);
                }
            }
        }
    }
    std::unordered_set<std::string> touched;
    for (const std::string& id : affected) {
        for (const std::string& name : Uses(id)) {
            touched.insert(name);
        }
        Remove(id);
    }
    Add(records, affected);
    for (const std::string& id : affected) {
        for (const std::string& name : Uses(id)) {
            touched.insert(name);
        }
    }
    for (const std::string& name : touched) {
        if (const auto users = usedBy_.find(name); users != usedBy_.end()) {
            SortUsers(users->second);
        }
    }
}

void Dependencies::Add(const RecordsAsRead& records, const std::vector<std::string>& ids) {
    RecordsSource source(records);
    for (mv::DescriptorUses& descriptor : mv::NamesUsedByDescriptors(source, ids)) {
        Note(descriptor.id, std::move(descriptor.names), false,
             std::move(descriptor.namesLookedUp));
    }
    for (const std::string& id : ids) {
        const std::string* record = records.Find(id);
        if (record == nullptr || !IsPhrase(*record)) {
            continue;
        }
        std::vector<std::string> words = PhraseWords(mv::FieldText(*record, 2));
        std::vector<std::string> names;
        for (const std::string& word : words) {
            if (records.Find(word) != nullptr) {
                names.push_back(word);
            }
        }
        Note(id, std::move(names), true, std::move(words));
    }
}

void Dependencies::Note(const std::string& id, std::vector<std::string> names, bool phrase,
                        std::vector<std::string> lookedUp) {
    for (const std::string& name : names) {
        if (name != id) {
            usedBy_[name].push_back({id, phrase});
        }
    }
    uses_[id] = std::move(names);
    for (const std::string& name : lookedUp) {
        lookedUpBy_[name].push_back(id);
    }
    lookedUp_[id] = std::move(lookedUp);
}

void Dependencies::Remove(const std::string& id) {
    if (const auto names = uses_.find(id); names != uses_.end()) {
        for (const std::string& name : names->second) {
            const auto users = usedBy_.find(name);
            if (users == usedBy_.end()) {
                continue;
            }
            std::erase_if(users->second, [&id](const User& user) { return user.id == id; });
            if (users->second.empty()) {
                usedBy_.erase(users);
            }
        }
        uses_.erase(names);
    }
    if (const auto names = lookedUp_.find(id); names != lookedUp_.end()) {
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
        lookedUp_.erase(names);
    }
}

void Dependencies::SortUsers(std::vector<User>& users) {
    std::sort(users.begin(), users.end(), [](const User& a, const User& b) {
        return a.phrase != b.phrase ? !a.phrase : a.id < b.id;
    });
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

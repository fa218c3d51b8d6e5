// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <QHash>
#include <QString>

namespace mv {
struct DescriptorOutcome;
}

namespace dictionary {

class ViewSet;

// Which I and V items of the open dictionary do not compile, by item id, with what the
// compiler says is wrong. Every descriptor is compiled on the client, against the items
// as the program last read or wrote them, so it works on any backend and writes
// nothing. Worked out again only when those records changed (a read, a write, a delete)
// or another view set was read; after a few changes, only for the changed items and the
// descriptors whose compile looked them up, directly or through others.
class DescriptorMarks {
public:
    // Compiles again when the records of `views` are not the ones last compiled. True
    // when the items marked, or what their marks say, changed.
    bool Update(const std::shared_ptr<const ViewSet>& views);

    // What is wrong with the item, as its row's tool tip says it; null when the item
    // compiles or is no descriptor.
    const QString* ProblemOf(const QString& itemId) const;
    int BrokenCount() const { return static_cast<int>(problems_.size()); }

private:
    void Forget(const std::string& id);
    void Note(std::vector<mv::DescriptorOutcome> outcomes);
    std::vector<std::string> Affected(std::vector<std::string> changed) const;

    std::weak_ptr<const ViewSet> compiledFor_;
    unsigned long long changesCompiled_ = 0;
    QHash<QString, QString> problems_;
    // For each descriptor compiled, the names its compile looked up; and the other way.
    std::unordered_map<std::string, std::vector<std::string>> namesLookedUp_;
    std::unordered_map<std::string, std::vector<std::string>> lookedUpBy_;
};

}  // namespace dictionary

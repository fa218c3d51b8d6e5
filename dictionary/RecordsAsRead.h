// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace dictionary {

// The bytes of each item as the account held them when this program last read or wrote
// the item, by item id. A write first reads the item again and compares: bytes that
// differ mean someone else changed it since its row was read. Ids are the engine's bytes.
class RecordsAsRead {
public:
    void Remember(const std::string& id, std::string record) {
        records_.insert_or_assign(id, std::move(record));
        Changed(id);
    }
    void Forget(const std::string& id) {
        records_.erase(id);
        Changed(id);
    }
    // Null when the item was never read, or is known to be gone.
    const std::string* Find(const std::string& id) const {
        const auto found = records_.find(id);
        return found == records_.end() ? nullptr : &found->second;
    }
    void Reserve(std::size_t items) { records_.reserve(items); }
    std::size_t Count() const { return records_.size(); }

    // Calls visit(id, record) for every item, in no particular order.
    template <typename Visit>
    void ForEach(Visit&& visit) const {
        for (const auto& [id, record] : records_) {
            visit(id, record);
        }
    }
    // Counts every Remember and Forget, so what is worked out from the records can tell
    // that it is out of date.
    unsigned long long Changes() const { return changes_; }

    // The ids remembered or forgotten since Changes() was `at`, each once, so what is
    // worked out from the records can be brought up to date item by item. False when the
    // last few changes no longer reach back that far (an open remembers every item): the
    // caller works everything out again.
    bool ChangedSince(unsigned long long at, std::vector<std::string>& ids) const {
        if (at < keptFrom_ || at > changes_) {
            return false;
        }
        for (auto id = recentChanges_.begin() + static_cast<std::ptrdiff_t>(at - keptFrom_);
             id != recentChanges_.end(); ++id) {
            if (std::find(ids.begin(), ids.end(), *id) == ids.end()) {
                ids.push_back(*id);
            }
        }
        return true;
    }

private:
    static constexpr std::size_t kChangesKept = 256;

    void Changed(const std::string& id) {
        ++changes_;
        if (recentChanges_.size() == kChangesKept) {
            recentChanges_.clear();
            keptFrom_ = changes_ - 1;
        }
        recentChanges_.push_back(id);
    }

    std::unordered_map<std::string, std::string> records_;
    unsigned long long changes_ = 0;
    std::vector<std::string> recentChanges_;  // the ids of changes keptFrom_ + 1 .. changes_
    unsigned long long keptFrom_ = 0;
};

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>

namespace dictionary {

// The bytes of each item as the account held them when this program last read or wrote
// the item, by item id. A write first reads the item again and compares: bytes that
// differ mean someone else changed it since its row was read. Ids are the engine's bytes.
class RecordsAsRead {
public:
    void Remember(const std::string& id, std::string record) {
        records_.insert_or_assign(id, std::move(record));
        ++changes_;
    }
    void Forget(const std::string& id) {
        records_.erase(id);
        ++changes_;
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

private:
    std::unordered_map<std::string, std::string> records_;
    unsigned long long changes_ = 0;
};

}  // namespace dictionary

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>

namespace mv {

// The items of one dictionary, as the compiler reads them.
class ItemSource {
public:
    virtual ~ItemSource() = default;
    // The record of item `id`, or null when the dictionary has no such item (or it cannot
    // be read). The record stays in place for as long as the source lives.
    virtual const std::string* Find(const std::string& id) = 0;
    // True when Find came back null because item `id` exists but could not be read, so
    // that a message can say so rather than call the name unknown.
    virtual bool Unreadable(const std::string& /*id*/) { return false; }
};

// A dictionary held in memory, for callers that read the items themselves.
class MapItemSource final : public ItemSource {
public:
    MapItemSource() = default;
    explicit MapItemSource(std::unordered_map<std::string, std::string> items)
        : items_(std::move(items)) {}
    void Add(std::string id, std::string record) { items_[std::move(id)] = std::move(record); }
    const std::string* Find(const std::string& id) override {
        const auto found = items_.find(id);
        return found == items_.end() ? nullptr : &found->second;
    }

private:
    std::unordered_map<std::string, std::string> items_;
};

}  // namespace mv

// SPDX-License-Identifier: MIT
#include <functional>
#include <unordered_map>

#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/eval/ParsedExpression.h"

namespace mv::values {

struct ParseCache::Entries {
    // Looked up by the source as it lies in the item, without a copy of it.
    struct SourceHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view source) const {
            return std::hash<std::string_view>{}(source);
        }
    };
    std::unordered_map<std::string, Parsed, SourceHash, std::equal_to<>> bySource;
};

ParseCache::ParseCache() : entries_(std::make_unique<Entries>()) {}

ParseCache::~ParseCache() = default;

const ParseCache::Parsed* ParseCache::Find(std::string_view source) const {
    const auto found = entries_->bySource.find(source);
    return found == entries_->bySource.end() ? nullptr : &found->second;
}

const ParseCache::Parsed& ParseCache::Keep(std::string_view source, Parsed parsed) {
    return entries_->bySource.insert_or_assign(std::string(source), std::move(parsed))
        .first->second;
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include <unordered_map>

#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/eval/ParsedExpression.h"

namespace mv::values {

struct ParseCache::Entries {
    std::unordered_map<std::string, Parsed> bySource;
};

ParseCache::ParseCache() : entries_(std::make_unique<Entries>()) {}

ParseCache::~ParseCache() = default;

const ParseCache::Parsed* ParseCache::Find(std::string_view source) const {
    const auto found = entries_->bySource.find(std::string(source));
    return found == entries_->bySource.end() ? nullptr : &found->second;
}

const ParseCache::Parsed& ParseCache::Keep(std::string_view source, Parsed parsed) {
    return entries_->bySource.insert_or_assign(std::string(source), std::move(parsed))
        .first->second;
}

}  // namespace mv::values

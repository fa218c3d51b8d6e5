// SPDX-License-Identifier: MIT
#include "platform/mv/DescriptorCheck.h"

#include "platform/mv/compiler/CompiledForm.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/ExpressionCompiler.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {

std::vector<DescriptorOutcome> CompileDescriptors(
    const std::vector<std::pair<std::string, std::string>>& items) {
    MapItemSource source;
    std::vector<std::string> ids;
    ids.reserve(items.size());
    for (const auto& [id, record] : items) {
        source.Add(id, record);
        ids.push_back(id);
    }
    return CompileDescriptors(source, ids);
}

std::vector<DescriptorOutcome> CompileDescriptors(ItemSource& source,
                                                  const std::vector<std::string>& ids) {
    DictionaryCompiler compiler(source);
    std::vector<DescriptorOutcome> outcomes;
    for (const std::string& id : ids) {
        const std::string* record = source.Find(id);
        if (record == nullptr || !IsDescriptorType(TypeCodeOf(*record))) {
            continue;
        }
        DescriptorOutcome& outcome = outcomes.emplace_back();
        outcome.id = id;
        try {
            const ItemCompilation result = compiler.Compile(id);
            outcome.compiled = result.status != ItemCompilation::Status::kFailed;
            outcome.column = result.column;
            outcome.message = result.message;
        } catch (const std::bad_alloc&) {
            outcome.outOfMemory = true;
        }
        outcome.namesLookedUp = compiler.NamesLookedUp(id);
    }
    return outcomes;
}

namespace {

// Names resolved against items the caller holds, without copying any record.
class ItemsResolver final : public NameResolver {
public:
    explicit ItemsResolver(const std::vector<std::pair<std::string, std::string>>& items) {
        typeCodes_.reserve(items.size());
        for (const auto& [id, record] : items) {
            typeCodes_.emplace(id, TypeCodeOf(record));
        }
    }
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        const auto found = typeCodes_.find(name);
        if (found == typeCodes_.end()) {
            return std::nullopt;
        }
        return found->second;
    }

private:
    std::unordered_map<std::string_view, std::string_view> typeCodes_;
};

// Names resolved against an item source, each name asked noted once.
class NotingResolver final : public NameResolver {
public:
    explicit NotingResolver(ItemSource& source) : source_(source) {}
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        if (std::find(noted_.begin(), noted_.end(), name) == noted_.end()) {
            noted_.emplace_back(name);
        }
        key_.assign(name);
        const std::string* record = source_.Find(key_);
        if (record == nullptr) {
            return std::nullopt;
        }
        return TypeCodeOf(*record);
    }
    std::vector<std::string> TakeNoted() { return std::exchange(noted_, {}); }

private:
    ItemSource& source_;
    std::string key_;
    std::vector<std::string> noted_;
};

}  // namespace

std::vector<DescriptorUses> NamesUsedByDescriptors(ItemSource& source,
                                                   const std::vector<std::string>& ids) {
    NotingResolver resolver(source);
    std::vector<DescriptorUses> uses;
    for (const std::string& id : ids) {
        const std::string* record = source.Find(id);
        if (record == nullptr || !IsDescriptorType(TypeCodeOf(*record))) {
            continue;
        }
        DescriptorUses& entry = uses.emplace_back();
        entry.id = id;
        const CompileResult result = CompileExpression(FieldText(*record, 2), resolver);
        entry.names.reserve(result.uses.size());
        for (const Dependency& use : result.uses) {
            entry.names.push_back(use.name);
        }
        entry.namesLookedUp = resolver.TakeNoted();
    }
    return uses;
}

std::vector<DescriptorUses> NamesUsedByDescriptors(
    const std::vector<std::pair<std::string, std::string>>& items) {
    ItemsResolver resolver(items);
    std::vector<DescriptorUses> uses;
    for (const auto& [id, record] : items) {
        if (!IsDescriptorType(TypeCodeOf(record))) {
            continue;
        }
        DescriptorUses& entry = uses.emplace_back();
        entry.id = id;
        const CompileResult result = CompileExpression(FieldText(record, 2), resolver);
        entry.names.reserve(result.uses.size());
        for (const Dependency& use : result.uses) {
            entry.names.push_back(use.name);
        }
    }
    return uses;
}

std::string TypeCodeOfRecord(const std::string& record) {
    return std::string(TypeCodeOf(record));
}

int FirstCompiledField() {
    return kFirstCompilerField;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "platform/mv/DescriptorCheck.h"

#include <new>

#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {

std::vector<DescriptorOutcome> CompileDescriptors(
    const std::vector<std::pair<std::string, std::string>>& items) {
    MapItemSource source;
    for (const auto& [id, record] : items) {
        source.Add(id, record);
    }
    DictionaryCompiler compiler(source);
    std::vector<DescriptorOutcome> outcomes;
    for (const auto& [id, record] : items) {
        if (!IsDescriptorType(TypeCodeOf(record))) {
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
    }
    return outcomes;
}

std::string TypeCodeOfRecord(const std::string& record) {
    return std::string(TypeCodeOf(record));
}

}  // namespace mv

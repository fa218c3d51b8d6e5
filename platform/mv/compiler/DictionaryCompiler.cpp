// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/DictionaryCompiler.h"

#include <algorithm>

#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/CompileMessages.h"
#include "platform/mv/compiler/CompiledForm.h"

namespace mv {

void DictionaryCompiler::SourceResolver::Note(std::string_view name) {
    if (noted_ != nullptr && std::find(noted_->begin(), noted_->end(), name) == noted_->end()) {
        noted_->emplace_back(name);
    }
}

std::optional<std::string_view> DictionaryCompiler::SourceResolver::TypeCode(
    std::string_view name) {
    Note(name);
    key_.assign(name);
    const std::string* record = items_.Find(key_);
    if (record == nullptr) {
        return std::nullopt;
    }
    return TypeCodeOf(*record);
}

bool DictionaryCompiler::SourceResolver::Unreadable(std::string_view name) {
    Note(name);
    key_.assign(name);
    return items_.Unreadable(key_);
}

DictionaryCompiler::Entry& DictionaryCompiler::Parsed(const std::string& id,
                                                      const std::string& record) {
    auto [it, added] = entries_.try_emplace(id);
    Entry& entry = it->second;
    if (added) {
        entry.id = &it->first;
        resolver_.NoteNamesIn(&entry.namesLookedUp);
        entry.result = CompileExpression(FieldText(record, 2), resolver_);
        resolver_.NoteNamesIn(nullptr);
    }
    return entry;
}

const std::vector<std::string>& DictionaryCompiler::NamesLookedUp(const std::string& id) const {
    static const std::vector<std::string> none;
    const auto found = entries_.find(id);
    return found == entries_.end() ? none : found->second.namesLookedUp;
}

bool DictionaryCompiler::IsDescriptor(const std::string& id, const std::string*& record) {
    record = items_.Find(id);
    return record != nullptr && IsDescriptorType(TypeCodeOf(*record));
}

void DictionaryCompiler::FindCycles(Entry& root) {
    if (root.mark == Entry::Mark::kDone) {
        return;
    }
    // Depth first without recursion: a chain of thousands of descriptors is no danger.
    struct Frame {
        Entry* entry;
        std::size_t next;  // the next entry of its uses to follow
    };
    std::vector<Frame> path{{&root, 0}};
    root.mark = Entry::Mark::kOnPath;
    root.pathIndex = 0;
    while (!path.empty()) {
        Frame& top = path.back();
        Entry& entry = *top.entry;
        if (!entry.cycle && top.next < entry.result.uses.size()) {
            const std::size_t k = top.next++;
            const std::string& name = entry.result.uses[k].name;
            const std::string* record = nullptr;
            if (!IsDescriptor(name, record)) {
                continue;
            }
            Entry& used = Parsed(name, *record);
            if (used.mark == Entry::Mark::kOnPath) {
                std::vector<std::string> cycle;
                for (std::size_t i = used.pathIndex; i < path.size(); ++i) {
                    cycle.push_back(*path[i].entry->id);
                }
                cycle.push_back(name);
                entry.cycle = std::make_shared<const std::vector<std::string>>(std::move(cycle));
                entry.via = k;
            } else if (used.mark == Entry::Mark::kDone) {
                if (used.cycle) {
                    entry.cycle = used.cycle;
                    entry.via = k;
                }
            } else {
                used.mark = Entry::Mark::kOnPath;
                used.pathIndex = path.size();
                path.push_back({&used, 0});
            }
            continue;
        }
        entry.mark = Entry::Mark::kDone;
        path.pop_back();
        if (entry.cycle && !path.empty() && !path.back().entry->cycle) {
            path.back().entry->cycle = entry.cycle;
            path.back().entry->via = path.back().next - 1;
        }
    }
}

ItemCompilation DictionaryCompiler::Compile(const std::string& id) {
    ItemCompilation out;
    const std::string* record = items_.Find(id);
    if (record == nullptr) {
        if (items_.Unreadable(id)) {
            out.status = ItemCompilation::Status::kUnreadable;
        }
        return out;
    }
    out.typeCode = std::string(TypeCodeOf(*record));
    if (!IsDescriptorType(out.typeCode)) {
        out.status = ItemCompilation::Status::kNotDescriptor;
        return out;
    }
    Entry& entry = Parsed(id, *record);
    out.status = ItemCompilation::Status::kFailed;
    if (!entry.result.ok) {
        out.column = entry.result.column;
        out.message = entry.result.message;
        return out;
    }
    FindCycles(entry);
    if (entry.cycle) {
        const Dependency& use = entry.result.uses[entry.via];
        const std::vector<std::string>& cycle = *entry.cycle;
        out.column = use.offset + 1;
        const auto self = std::find(cycle.begin(), cycle.end() - 1, id);
        if (self == cycle.end() - 1) {
            // Told from its least id, so the words do not depend on which item of the
            // circle the search happened to reach first.
            const auto least = std::min_element(cycle.begin(), cycle.end() - 1);
            std::vector<std::string> turned(least, cycle.end() - 1);
            turned.insert(turned.end(), cycle.begin(), least);
            turned.push_back(*least);
            out.message = messages::LeadsIntoCycle(use.name, turned);
        } else {
            // The same circle, told from this item round to itself.
            std::vector<std::string> turned(self, cycle.end() - 1);
            turned.insert(turned.end(), cycle.begin(), self);
            turned.push_back(id);
            out.message = messages::CircularReference(turned);
        }
        return out;
    }
    out.status = ItemCompilation::Status::kCompiled;
    out.record = WithCompiledFields(*record, entry.result.expressions, entry.result.dependencies);
    return out;
}

}  // namespace mv

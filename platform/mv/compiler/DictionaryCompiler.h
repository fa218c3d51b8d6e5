// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mv/compiler/ExpressionCompiler.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {

struct ItemCompilation {
    enum class Status {
        kCompiled,       // record holds the item with its compiled form
        kFailed,         // column and message say what is wrong
        kNotDescriptor,  // the item is not an I- or V-descriptor; typeCode says what it is
        kMissing,        // no such item
        kUnreadable,     // the item exists but could not be read
    };
    Status status = Status::kMissing;
    std::size_t column = 0;
    std::string message;
    std::string typeCode;
    std::string record;
};

// Compiles descriptors of one dictionary without writing anything: each expression is
// parsed once however many items use it, and the I- and V-descriptors it uses, directly
// or through others, are followed to find circular references.
class DictionaryCompiler {
public:
    explicit DictionaryCompiler(ItemSource& items) : items_(items), resolver_(items) {}

    ItemCompilation Compile(const std::string& id);

    // Every name the compile of descriptor id looked up in the dictionary, once each, in
    // the order asked; empty for an item not compiled here. What Compile(id) says can
    // change only when id, one of these items, or what they ask in turn changes.
    const std::vector<std::string>& NamesLookedUp(const std::string& id) const;

private:
    class SourceResolver final : public NameResolver {
    public:
        explicit SourceResolver(ItemSource& items) : items_(items) {}
        std::optional<std::string_view> TypeCode(std::string_view name) override;
        bool Unreadable(std::string_view name) override;
        // Where the names asked are noted; null when nobody listens.
        void NoteNamesIn(std::vector<std::string>* names) { noted_ = names; }

    private:
        void Note(std::string_view name);

        ItemSource& items_;
        std::string key_;
        std::vector<std::string>* noted_ = nullptr;
    };

    using Cycle = std::shared_ptr<const std::vector<std::string>>;
    struct Entry {
        const std::string* id = nullptr;
        CompileResult result;
        enum class Mark { kNew, kOnPath, kDone } mark = Mark::kNew;
        std::size_t pathIndex = 0;
        Cycle cycle;          // a circular reference reachable from this item, if any
        std::size_t via = 0;  // the entry of result.uses that leads to it
        std::vector<std::string> namesLookedUp;
    };

    Entry& Parsed(const std::string& id, const std::string& record);
    bool IsDescriptor(const std::string& id, const std::string*& record);
    void FindCycles(Entry& root);

    ItemSource& items_;
    SourceResolver resolver_;
    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace mv

// SPDX-License-Identifier: MIT
// A whole dictionary compiled item by item, as CD and check do. Input: items separated by
// 0xFF, each its id up to the first line feed and then the bytes of its item file. Beyond
// not crashing, each item's outcome is held against a compile of its expression alone
// and a plain search for circular references written here:
// - a missing id is missing, an item that is not an I- or V-descriptor says its type;
// - an expression that does not compile fails with the same column and message;
// - one that compiles fails exactly when a circle of descriptors is reachable from it,
//   and otherwise gives the item with fields 1 to 8 kept, the marker, and the compiled
//   fields of its expression, storable as an item file.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/CompiledForm.h"
#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/ExpressionCompiler.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace {

constexpr std::size_t kMaxItems = 200;

using Items = std::map<std::string, std::string>;

Items ReadItems(std::string_view input) {
    Items items;
    while (!input.empty() && items.size() < kMaxItems) {
        const std::size_t end = input.find('\xFF');
        const std::string_view item = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        const std::size_t lineFeed = item.find('\n');
        std::string record = lineFeed == std::string_view::npos
                                 ? std::string()
                                 : std::string(item.substr(lineFeed + 1));
        mv::FileBytesToRecord(record);
        items[std::string(item.substr(0, lineFeed))] = std::move(record);
    }
    return items;
}

class MapNames final : public mv::NameResolver {
public:
    explicit MapNames(const Items& items) : items_(items) {}
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        const auto found = items_.find(std::string(name));
        if (found == items_.end()) {
            return std::nullopt;
        }
        return mv::TypeCodeOf(found->second);
    }

private:
    const Items& items_;
};

bool IsDescriptor(const Items& items, const std::string& id) {
    const auto found = items.find(id);
    return found != items.end() && mv::IsDescriptorType(mv::TypeCodeOf(found->second));
}

// Each descriptor with its expression compiled alone, and the descriptors it names.
struct Graph {
    std::map<std::string, mv::CompileResult> results;
    std::map<std::string, std::vector<std::string>> edges;
};

Graph BuildGraph(const Items& items) {
    Graph graph;
    MapNames names(items);
    for (const auto& [id, record] : items) {
        if (!IsDescriptor(items, id)) {
            continue;
        }
        mv::CompileResult result = mv::CompileExpression(mv::FieldText(record, 2), names);
        for (const mv::Dependency& use : result.uses) {
            if (IsDescriptor(items, use.name)) {
                graph.edges[id].push_back(use.name);
            }
        }
        graph.results.emplace(id, std::move(result));
    }
    return graph;
}

// True when some circle of descriptors can be reached from `start`: the colouring
// search of a textbook, kept recursive since fuzz inputs are small.
bool ReachesCircle(const Graph& graph, const std::string& node,
                   std::map<std::string, int>& colour) {
    int& mine = colour[node];
    if (mine == 1) {
        return true;
    }
    if (mine == 2) {
        return false;
    }
    mine = 1;
    const auto edges = graph.edges.find(node);
    if (edges != graph.edges.end()) {
        for (const std::string& next : edges->second) {
            if (ReachesCircle(graph, next, colour)) {
                return true;
            }
        }
    }
    colour[node] = 2;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    using Status = mv::ItemCompilation::Status;
    const Items items = ReadItems(std::string_view(reinterpret_cast<const char*>(data), size));
    const Graph graph = BuildGraph(items);

    mv::MapItemSource source;
    for (const auto& [id, record] : items) {
        source.Add(id, record);
    }
    mv::DictionaryCompiler compiler(source);

    std::vector<std::string> ids;
    for (const auto& entry : items) {
        ids.push_back(entry.first);
    }
    ids.push_back("NO.SUCH.ITEM\x01");
    // Twice over, so answers from the compiler's cache are checked as well as fresh ones.
    for (int round = 0; round < 2; ++round) {
        for (const std::string& id : ids) {
            const mv::ItemCompilation out = compiler.Compile(id);
            const auto item = items.find(id);
            if (item == items.end()) {
                Require(out.status == Status::kMissing, "an id not in the dictionary is missing",
                        id);
                continue;
            }
            const std::string_view typeCode = mv::TypeCodeOf(item->second);
            if (!mv::IsDescriptorType(typeCode)) {
                Require(out.status == Status::kNotDescriptor && out.typeCode == typeCode,
                        "an item that is no descriptor says its type", id);
                continue;
            }
            const mv::CompileResult& alone = graph.results.at(id);
            if (!alone.ok) {
                Require(out.status == Status::kFailed && out.column == alone.column &&
                            out.message == alone.message,
                        "an expression that does not compile fails as it does alone", id);
                continue;
            }
            std::map<std::string, int> colour;
            if (ReachesCircle(graph, id, colour)) {
                Require(out.status == Status::kFailed && out.column >= 1 && !out.message.empty(),
                        "a descriptor that leads into a circle fails", id);
                continue;
            }
            Require(out.status == Status::kCompiled, "a descriptor with no circle compiles", id);
            Require(out.record ==
                        mv::WithCompiledFields(item->second, alone.expressions, alone.dependencies),
                    "the compiled item is the item with its compiled fields", id);
            Require(mv::FieldText(out.record, mv::kFirstCompilerField) == mv::kCompiledMarker,
                    "field 9 holds the marker", out.record);
            for (int field = 1; field < mv::kFirstCompilerField; ++field) {
                Require(mv::FieldText(out.record, field) == mv::FieldText(item->second, field),
                        "fields 1 to 8 are kept", id);
            }
            std::string bytes;
            Require(mv::RecordToFileBytes(out.record, bytes), "a compiled item can be stored", id);
        }
    }
    return 0;
}

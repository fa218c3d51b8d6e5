// SPDX-License-Identifier: MIT
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/DictionaryCommands.h"
#include "cli/FieldLines.h"
#include "cli/PlaceItems.h"
#include "core/DictionaryDiff.h"

namespace cli {

using core::FieldDifference;
using core::ItemDifference;
using core::ShownValue;

namespace {

std::string JsonValue(const std::optional<std::string>& value) {
    return value ? JsonString(*value) : std::string("null");
}

void WriteJson(std::ostream& out, const std::string& fileName,
               const std::vector<ItemDifference>& differences) {
    const auto ids = [&](ItemDifference::Kind kind) {
        std::string list;
        for (const ItemDifference& item : differences) {
            if (item.kind == kind) {
                list += (list.empty() ? "" : ", ") + JsonString(item.id);
            }
        }
        return "[" + list + "]";
    };
    out << "{\"file\": " << JsonString(fileName)
        << ",\n \"onlyInA\": " << ids(ItemDifference::Kind::OnlyInA)
        << ",\n \"onlyInB\": " << ids(ItemDifference::Kind::OnlyInB) << ",\n \"changed\": [";
    bool first = true;
    for (const ItemDifference& item : differences) {
        if (item.kind != ItemDifference::Kind::Changed) {
            continue;
        }
        out << (first ? "\n  " : ",\n  ") << "{\"id\": " << JsonString(item.id)
            << ", \"fields\": [";
        for (std::size_t i = 0; i < item.fields.size(); ++i) {
            const FieldDifference& field = item.fields[i];
            out << (i == 0 ? "" : ", ") << "{\"field\": " << field.number
                << ", \"caption\": " << JsonString(field.caption)
                << ", \"a\": " << JsonValue(field.a) << ", \"b\": " << JsonValue(field.b) << "}";
        }
        out << "]}";
        first = false;
    }
    out << (first ? "]}\n" : "\n ]}\n");
}

void WriteText(std::ostream& out, const std::string& nameA, const std::string& nameB,
               const std::vector<ItemDifference>& differences) {
    for (const ItemDifference& item : differences) {
        const std::string id = ShownValue(item.id);
        switch (item.kind) {
            case ItemDifference::Kind::OnlyInA:
                out << "only in " << nameA << ": " << id << '\n';
                break;
            case ItemDifference::Kind::OnlyInB:
                out << "only in " << nameB << ": " << id << '\n';
                break;
            case ItemDifference::Kind::Changed:
                out << "changed: " << id << '\n';
                WriteFieldLines(out, item.fields);
                break;
        }
    }
}

}  // namespace

int RunDiff(const CommandLine& line, const Environment& env) {
    const std::string& fileName = line.arguments[2];
    std::string why;
    const std::optional<Place> a = ParsePlace(line.arguments[0], why);
    const std::optional<Place> b = a ? ParsePlace(line.arguments[1], why) : std::nullopt;
    if (!a || !b) {
        ReportFailure(env, why);
        return kExitError;
    }
    ItemMap itemsA;
    ItemMap itemsB;
    if (!ReadPlace(*a, fileName, line, env, false, itemsA) ||
        !ReadPlace(*b, fileName, line, env, a->kind == Place::Kind::Server, itemsB)) {
        return kExitError;
    }
    const std::vector<ItemDifference> differences = core::DiffDictionaries(
        itemsA, itemsB, fileName, line.switches.count("--compiled") != 0,
        line.switches.count("--exact") != 0 ? core::Comparison::Exact : core::Comparison::Shown);
    if (line.switches.count("--json") != 0) {
        WriteJson(env.out, fileName, differences);
    } else {
        WriteText(env.out, a->text, b->text, differences);
    }
    env.out.flush();
    return differences.empty() ? kExitOk : kExitDiffer;
}

}  // namespace cli

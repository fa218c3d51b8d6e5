// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FieldMerge.h"

namespace core {

// The items of one dictionary by id, each record as the database holds it (fields
// separated by 0xFE), in the byte order of their ids.
using ItemMap = std::map<std::string, std::string>;

// One field of an item that differs between two dictionaries; a side that has no such
// field at all is nullopt.
struct FieldDifference {
    std::size_t number = 0;  // from 1
    std::string caption;     // the column of the item's view, or "Field n"
    std::optional<std::string> a;
    std::optional<std::string> b;
};

struct ItemDifference {
    enum class Kind { OnlyInA, OnlyInB, Changed };
    Kind kind = Kind::Changed;
    std::string id;
    std::vector<FieldDifference> fields;  // Changed only
};

// The items of dictionary fileName that differ between a and b, in id order, their
// fields compared as `how` says. The fields a compile writes into I and V items (9 on)
// are left out unless compiled is set; fields 1 to 8 of those items then count as empty
// where absent, since a compile adds them.
std::vector<ItemDifference> DiffDictionaries(const ItemMap& a, const ItemMap& b,
                                             const std::string& fileName, bool compiled,
                                             Comparison how = Comparison::Shown);

// Whether the two records of id differ as DiffDictionaries counts differences.
bool RecordsDiffer(const std::string& a, const std::string& b, bool compiled,
                   Comparison how = Comparison::Shown);

// The fields that differ between two records of the item id, as DiffDictionaries lists
// them; each is named by its column in the view of b's type.
std::vector<FieldDifference> DiffRecords(const std::string& id, const std::string& a,
                                         const std::string& b, const std::string& fileName,
                                         bool compiled, Comparison how = Comparison::Shown);

// The fields of a record, split at its field marks: views into record.
std::vector<std::string_view> SplitFields(std::string_view record);

// Whether the record is an I or V descriptor, whose fields 9 on a compile writes.
bool IsCompiledDescriptor(std::string_view record);

// A value as the item detail pane shows it: the marks as [VM], [SM] and [TM], and other
// control bytes as \xNN.
std::string ShownValue(std::string_view value);

}  // namespace core

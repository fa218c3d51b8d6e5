// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// How two versions of an item are compared. Shown compares what a reader of the record
// sees: a field the record does not have reads as an empty one, so empty fields at its end
// are no difference (a save writes a view's fields 1 to N, whatever the item held). Exact
// tells a missing field from an empty one. No item at all always differs from an item.
enum class Comparison { Shown, Exact };

// Whether two versions of one field of an item differ; nullopt: the record has no such
// field.
bool FieldsDiffer(const std::optional<std::string_view>& a,
                  const std::optional<std::string_view>& b, Comparison how);

// Whether two versions of an item differ; nullopt: no such item.
bool ItemsDiffer(const std::optional<std::string>& a, const std::optional<std::string>& b,
                 Comparison how = Comparison::Shown);

// Who changed one field of an item since it was read: nobody, the account (another user,
// "them"), this user ("you"), both alike, or both differently (a conflict no rule can
// settle).
enum class FieldChange { None, Theirs, Yours, BothAlike, Conflict };

struct FieldMerge {
    std::size_t number = 0;  // from 1
    FieldChange change = FieldChange::None;
    // The field as read, as the account holds it now, and as typed; nullopt where that
    // version has no such field (or no item at all).
    std::optional<std::string> asRead;
    std::optional<std::string> inAccount;
    std::optional<std::string> yours;
};

// The three-way merge of one item: the record as it was read, as the account holds it
// now and as the user made it, each nullopt when that version has no item (made since it
// was read, deleted, or deleted by the user). Fields are compared as `how` says.
struct MergePlan {
    std::vector<FieldMerge> fields;  // every field that is not None
    // A field changed by both differently, or the item deleted on one side and changed
    // on the other: no merge without the user's choice.
    bool conflict = false;
    // The account's version with the user's changes on top, when there is no conflict
    // (a field that changed for nobody keeps the account's bytes, or the user's where the
    // account has no such field); nullopt then means the merged result is that the item
    // is deleted.
    std::optional<std::string> merged;
};

MergePlan MergeRecords(const std::optional<std::string>& asRead,
                       const std::optional<std::string>& inAccount,
                       const std::optional<std::string>& yours, Comparison how = Comparison::Shown);

// The record with each field number in choices (from 1) taken as given (nullopt: the field
// removed, the fields after it kept in place as empty ones where needed): the account's
// version with the user's choice for each conflicting field.
std::string WithFields(
    const std::string& record,
    const std::vector<std::pair<std::size_t, std::optional<std::string>>>& choices);

}  // namespace core

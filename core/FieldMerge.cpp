// SPDX-License-Identifier: MIT
#include "core/FieldMerge.h"

#include <algorithm>

#include "core/DictionaryDiff.h"

namespace core {
namespace {

constexpr char kFieldMark = '\xFE';

std::vector<std::string> FieldsOf(const std::string& record) {
    const std::vector<std::string_view> views = SplitFields(record);
    return std::vector<std::string>(views.begin(), views.end());
}

std::optional<std::string> FieldAt(const std::optional<std::vector<std::string>>& fields,
                                   std::size_t index) {
    if (!fields || index >= fields->size()) {
        return std::nullopt;
    }
    return (*fields)[index];
}

std::string Joined(const std::vector<std::optional<std::string>>& fields) {
    std::size_t count = fields.size();
    while (count > 0 && !fields[count - 1]) {
        --count;  // fields no version has at the end are no fields at all
    }
    std::string record;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            record += kFieldMark;
        }
        record += fields[i].value_or(std::string());
    }
    return record;
}

// A field as compared: nullopt only when the version has no item, or under Exact no such
// field; under Shown a field past the record's end reads as an empty one.
std::optional<std::string> Compared(const std::optional<std::vector<std::string>>& fields,
                                    std::size_t index, Comparison how) {
    if (fields && how == Comparison::Shown && index >= fields->size()) {
        return std::string();
    }
    return FieldAt(fields, index);
}

// The record without the field marks that only end empty fields.
std::string_view WithoutTrailingEmptyFields(std::string_view record) {
    const std::size_t last = record.find_last_not_of(kFieldMark);
    return record.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

}  // namespace

bool FieldsDiffer(const std::optional<std::string_view>& a,
                  const std::optional<std::string_view>& b, Comparison how) {
    if (how == Comparison::Exact) {
        return a != b;
    }
    return a.value_or(std::string_view()) != b.value_or(std::string_view());
}

bool ItemsDiffer(const std::optional<std::string>& a, const std::optional<std::string>& b,
                 Comparison how) {
    if (!a || !b || how == Comparison::Exact) {
        return a != b;
    }
    return WithoutTrailingEmptyFields(*a) != WithoutTrailingEmptyFields(*b);
}

MergePlan MergeRecords(const std::optional<std::string>& asRead,
                       const std::optional<std::string>& inAccount,
                       const std::optional<std::string>& yours, Comparison how) {
    const auto split = [](const std::optional<std::string>& record) {
        return record ? std::optional<std::vector<std::string>>(FieldsOf(*record)) : std::nullopt;
    };
    const auto read = split(asRead);
    const auto account = split(inAccount);
    const auto typed = split(yours);
    MergePlan plan;
    // An item deleted on one side and changed on the other is a conflict of the whole
    // item; deleted on both sides, it stays deleted.
    const bool theyDeleted = asRead && !inAccount;
    const bool youDeleted = asRead && !yours;
    const bool theyChanged = ItemsDiffer(inAccount, asRead, how);
    const bool youChanged = ItemsDiffer(yours, asRead, how);
    const std::size_t count = std::max(
        {read ? read->size() : 0, account ? account->size() : 0, typed ? typed->size() : 0});
    std::vector<std::optional<std::string>> merged;
    for (std::size_t i = 0; i < count; ++i) {
        FieldMerge field;
        field.number = i + 1;
        field.asRead = FieldAt(read, i);
        field.inAccount = FieldAt(account, i);
        field.yours = FieldAt(typed, i);
        const std::optional<std::string> wasRead = Compared(read, i, how);
        const std::optional<std::string> theirs = Compared(account, i, how);
        const std::optional<std::string> mine = Compared(typed, i, how);
        if (theirs == mine) {
            field.change = theirs == wasRead ? FieldChange::None : FieldChange::BothAlike;
            merged.push_back(field.inAccount ? field.inAccount : field.yours);
        } else if (theirs == wasRead) {
            field.change = FieldChange::Yours;
            merged.push_back(field.yours);
        } else if (mine == wasRead) {
            field.change = FieldChange::Theirs;
            merged.push_back(field.inAccount);
        } else {
            field.change = FieldChange::Conflict;
            plan.conflict = true;
            merged.push_back(field.inAccount);
        }
        if (field.change != FieldChange::None) {
            plan.fields.push_back(std::move(field));
        }
    }
    if ((theyDeleted && youChanged && !youDeleted) || (youDeleted && theyChanged && !theyDeleted)) {
        plan.conflict = true;
    }
    if (!plan.conflict && !(theyDeleted || youDeleted) && (inAccount || yours)) {
        plan.merged = Joined(merged);
    }
    return plan;
}

std::string WithFields(
    const std::string& record,
    const std::vector<std::pair<std::size_t, std::optional<std::string>>>& choices) {
    std::vector<std::optional<std::string>> fields;
    for (std::string& field : FieldsOf(record)) {
        fields.emplace_back(std::move(field));
    }
    for (const auto& [number, value] : choices) {
        if (number == 0) {
            continue;
        }
        if (fields.size() < number) {
            fields.resize(number);
        }
        fields[number - 1] = value;
    }
    return Joined(fields);
}

}  // namespace core

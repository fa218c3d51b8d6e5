// SPDX-License-Identifier: MIT
#include <algorithm>

#include <gtest/gtest.h>

#include "core/FieldMerge.h"

namespace core {
namespace {

using Record = std::optional<std::string>;

// A record written with ^ for its field marks.
std::string R(std::string text) {
    std::replace(text.begin(), text.end(), '^', '\xFE');
    return text;
}

// The three-way rule for each way an item can have changed on both sides.
TEST(FieldMerge, mergesWhatOnlyOneSideChangedAndStopsAtWhatBothChanged) {
    const Record none;
    struct Case {
        const char* what;
        Record asRead, inAccount, yours;
        bool conflict;
        Record merged;
        std::vector<FieldChange> changes;  // of the fields that changed, in order
    };
    using enum FieldChange;
    const std::vector<Case> cases = {
        {"by them only", R("D^1^A"), R("D^2^A"), R("D^1^A"), false, R("D^2^A"), {Theirs}},
        {"by you only", R("D^1"), R("D^1"), R("D^1^^X"), false, R("D^1^^X"), {Yours}},
        {"different fields",
         R("D^1^A"),
         R("D^2^A"),
         R("D^1^B"),
         false,
         R("D^2^B"),
         {Theirs, Yours}},
        {"one field alike", R("D^1"), R("D^5"), R("D^5"), false, R("D^5"), {BothAlike}},
        {"one field differently",
         R("D^1^A"),
         R("D^2^B"),
         R("D^3^B"),
         true,
         none,
         {Conflict, BothAlike}},
        {"a field removed by them",
         R("D^1^A"),
         R("D^1"),
         R("D^9^A"),
         false,
         R("D^9"),
         {Yours, Theirs}},
        {"deleted by them, changed by you",
         R("D^1"),
         none,
         R("D^2"),
         true,
         none,
         {Theirs, Conflict}},
        {"deleted by them, left by you", R("D^1"), none, R("D^1"), false, none, {Theirs, Theirs}},
        {"deleted by you, changed by them",
         R("D^1"),
         R("D^2"),
         none,
         true,
         none,
         {Yours, Conflict}},
        {"created alike", none, R("I^A"), R("I^A"), false, R("I^A"), {BothAlike, BothAlike}},
        {"created differently", none, R("I^A"), R("I^B"), true, none, {BothAlike, Conflict}},
        // Empty fields at the end are no change; the merge keeps the account's bytes and
        // the empty fields only yours has.
        {"empty fields added by them and you",
         R("X^1"),
         R("X^2^^"),
         R("X^1^^^^"),
         false,
         R("X^2^^^^"),
         {Theirs}},
        {"empty fields dropped by them",
         R("D^1^^"),
         R("D^1"),
         R("D^1^^^A"),
         false,
         R("D^1^^^A"),
         {Yours}},
        {"an empty item is still an item", none, R(""), R("X"), true, none, {Conflict}},
    };
    for (const Case& c : cases) {
        const MergePlan plan = MergeRecords(c.asRead, c.inAccount, c.yours);
        EXPECT_EQ(plan.conflict, c.conflict) << c.what;
        EXPECT_EQ(plan.merged, c.merged) << c.what;
        std::vector<FieldChange> changes;
        for (const FieldMerge& field : plan.fields) {
            changes.push_back(field.change);
        }
        EXPECT_EQ(changes, c.changes) << c.what;
    }
    // Exact tells a missing field from an empty one.
    const MergePlan exact = MergeRecords(R("X^1"), R("X^1^"), R("X^2"), Comparison::Exact);
    EXPECT_EQ(exact.fields.size(), 2u);
    EXPECT_EQ(exact.merged, R("X^2^"));
    EXPECT_FALSE(ItemsDiffer(R("X^1"), R("X^1^^")));
    EXPECT_TRUE(ItemsDiffer(R("X^1"), R("X^1^^"), Comparison::Exact));
    EXPECT_TRUE(ItemsDiffer(R(""), none));

    // A conflict settled field by field: the account's version with the user's choices.
    EXPECT_EQ(WithFields(R("D^2^B"), {{1, "X"}, {4, "Y"}}), R("X^2^B^Y"));
    EXPECT_EQ(WithFields(R("D^2^B"), {{3, std::nullopt}}), R("D^2"));
}

}  // namespace
}  // namespace core

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/FieldMerge.h"

namespace core {
namespace {

using Record = std::optional<std::string>;

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
    const std::vector<Case> cases = {
        {"by them only",
         "D\xFE"
         "1\xFE"
         "A",
         "D\xFE"
         "2\xFE"
         "A",
         "D\xFE"
         "1\xFE"
         "A",
         false,
         "D\xFE"
         "2\xFE"
         "A",
         {FieldChange::Theirs}},
        {"by you only",
         "D\xFE"
         "1",
         "D\xFE"
         "1",
         "D\xFE"
         "1\xFE\xFE"
         "X",
         false,
         "D\xFE"
         "1\xFE\xFE"
         "X",
         {FieldChange::Yours, FieldChange::Yours}},
        {"different fields",
         "D\xFE"
         "1\xFE"
         "A",
         "D\xFE"
         "2\xFE"
         "A",
         "D\xFE"
         "1\xFE"
         "B",
         false,
         "D\xFE"
         "2\xFE"
         "B",
         {FieldChange::Theirs, FieldChange::Yours}},
        {"one field alike",
         "D\xFE"
         "1",
         "D\xFE"
         "5",
         "D\xFE"
         "5",
         false,
         "D\xFE"
         "5",
         {FieldChange::BothAlike}},
        {"one field differently",
         "D\xFE"
         "1\xFE"
         "A",
         "D\xFE"
         "2\xFE"
         "B",
         "D\xFE"
         "3\xFE"
         "B",
         true,
         none,
         {FieldChange::Conflict, FieldChange::BothAlike}},
        {"a field removed by them",
         "D\xFE"
         "1\xFE"
         "A",
         "D\xFE"
         "1",
         "D\xFE"
         "9\xFE"
         "A",
         false,
         "D\xFE"
         "9",
         {FieldChange::Yours, FieldChange::Theirs}},
        {"deleted by them, changed by you",
         "D\xFE"
         "1",
         none,
         "D\xFE"
         "2",
         true,
         none,
         {FieldChange::Theirs, FieldChange::Conflict}},
        {"deleted by them, left by you",
         "D\xFE"
         "1",
         none,
         "D\xFE"
         "1",
         false,
         none,
         {FieldChange::Theirs, FieldChange::Theirs}},
        {"deleted by you, changed by them",
         "D\xFE"
         "1",
         "D\xFE"
         "2",
         none,
         true,
         none,
         {FieldChange::Yours, FieldChange::Conflict}},
        {"created alike",
         none,
         "I\xFE"
         "A",
         "I\xFE"
         "A",
         false,
         "I\xFE"
         "A",
         {FieldChange::BothAlike, FieldChange::BothAlike}},
        {"created differently",
         none,
         "I\xFE"
         "A",
         "I\xFE"
         "B",
         true,
         none,
         {FieldChange::BothAlike, FieldChange::Conflict}},
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
    // A conflict settled field by field: the account's version with the user's choices.
    EXPECT_EQ(WithFields("D\xFE"
                         "2\xFE"
                         "B",
                         {{1, "X"}, {4, "Y"}}),
              "X\xFE"
              "2\xFE"
              "B\xFE"
              "Y");
    EXPECT_EQ(WithFields("D\xFE"
                         "2\xFE"
                         "B",
                         {{3, std::nullopt}}),
              "D\xFE"
              "2");
}

}  // namespace
}  // namespace core

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"

namespace mv {
namespace {

const std::string FM = "\xFE";
const std::string VM = "\xFD";

// "v1", "v2", ...: built by appending, since GCC 12 at -O3 wrongly warns (-Wrestrict)
// on a literal added to a std::string.
std::string Value(int i) {
    std::string value(1, 'v');
    value += std::to_string(i);
    return value;
}

TEST(DynamicArray, NewArraySetFieldsOneToNHoldsExactlyNFields) {
    for (std::int16_t n = 1; n <= 8; ++n) {
        DynamicArray record;
        for (std::int16_t i = 1; i <= n; ++i) {
            // The last field empty: it must still count, as a trailing empty field.
            record.Field(i).SetStringValue(i == n ? std::string() : Value(i));
        }
        EXPECT_EQ(record.FieldCount(), n);
        for (std::int16_t i = 1; i < n; ++i) {
            EXPECT_EQ(record.FieldValue(i), Value(i));
        }
    }
    DynamicArray record;
    record.Field(1).SetStringValue("D");
    record.Field(2).SetStringValue("0");
    record.Field(3).SetStringValue("");
    EXPECT_EQ(record.Text(), "D" + FM + "0" + FM);
}

TEST(DynamicArray, SettingAFieldBeyondTheEndAddsEmptyFieldsBeforeIt) {
    DynamicArray fresh;
    EXPECT_EQ(fresh.FieldCount(), 0);
    fresh.Field(5).SetStringValue("x");
    EXPECT_EQ(fresh.Text(), FM + FM + FM + FM + "x");
    EXPECT_EQ(fresh.FieldCount(), 5);

    DynamicArray read("a" + FM + "b");
    read.Field(4).SetStringValue("d");
    EXPECT_EQ(read.Text(), "a" + FM + "b" + FM + FM + "d");
}

TEST(DynamicArray, ReplacingAFieldLeavesTheOthersAndTheirMarks) {
    DynamicArray record("I" + FM + "A" + VM + "B" + FM + "old" + FM + "tail" + FM);
    record.Field(3).SetStringValue("new" + VM + "er");
    EXPECT_EQ(record.Text(), "I" + FM + "A" + VM + "B" + FM + "new" + VM + "er" + FM + "tail" + FM);
    EXPECT_EQ(record.Field(2).StringValue(), "A" + VM + "B");
    EXPECT_EQ(record.Field(5).StringValue(), "");  // the trailing empty field
    EXPECT_EQ(record.Field(9).StringValue(), "");  // a field the record lacks
    EXPECT_EQ(record.FieldCount(), 5);
}

TEST(DynamicArray, EmptyTextHasNoFieldsUntilOneIsSet) {
    DynamicArray record{std::string()};
    EXPECT_EQ(record.FieldCount(), 0);
    record.Field(1).SetStringValue("");
    EXPECT_EQ(record.FieldCount(), 1);
    record.Field(2).SetStringValue("");
    EXPECT_EQ(record.Text(), FM);
    EXPECT_EQ(record.FieldCount(), 2);
}

TEST(DynamicArray, FieldNumbersBelowOneAreRefused) {
    DynamicArray record("a" + FM + "b");
    for (const std::int16_t n : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-32768}}) {
        EXPECT_EQ(record.Field(n).StringValue(), "");
        EXPECT_EQ(record.Error(), kBadFieldNumber);
        record.Field(n).SetStringValue("x");
        EXPECT_EQ(record.Error(), kBadFieldNumber);
        EXPECT_EQ(record.Text(), "a" + FM + "b");
    }
    EXPECT_EQ(record.Field(1).StringValue(), "a");
    EXPECT_EQ(record.Error(), 0);
}

}  // namespace
}  // namespace mv

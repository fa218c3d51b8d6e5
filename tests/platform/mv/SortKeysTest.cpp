// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "platform/mv/SortKeys.h"

namespace mv {
namespace {

TEST(SortKeys, LeftJustifiedComparesUnsignedBytes) {
    EXPECT_LT(CompareLeft("", "a"), 0);
    EXPECT_LT(CompareLeft("a", "ab"), 0);
    EXPECT_LT(CompareLeft("a", "\xFF"), 0);
    EXPECT_LT(CompareLeft("10", "9"), 0);
    EXPECT_LT(CompareLeft("A", "a"), 0);
    EXPECT_EQ(CompareLeft("x\xFDy", "x\xFDy"), 0);
}

TEST(SortKeys, RightJustifiedComparesNumbersByValue) {
    EXPECT_LT(CompareRight("9", "10"), 0);
    EXPECT_LT(CompareRight("-1", "1.5"), 0);
    EXPECT_LT(CompareRight("-10", "-9"), 0);
    EXPECT_LT(CompareRight("1.05", "1.5"), 0);
    EXPECT_LT(CompareRight("-1.5", "-1.05"), 0);
    EXPECT_EQ(CompareRight("1.50", "1.5"), 0);
    EXPECT_EQ(CompareRight("007", "+7"), 0);
    EXPECT_EQ(CompareRight("-0", "0.0"), 0);
    // Long digit strings stay exact where a floating-point value would round.
    EXPECT_LT(CompareRight("12345678901234567890", "12345678901234567891"), 0);
}

TEST(SortKeys, RightJustifiedPutsEmptyFirstAndOtherTextAfterNumbersShorterFirst) {
    EXPECT_LT(CompareRight("", "-1"), 0);
    EXPECT_LT(CompareRight("10", "A"), 0);
    EXPECT_LT(CompareRight("B", "AB"), 0);
    EXPECT_LT(CompareRight("AB", "AC"), 0);
    EXPECT_LT(CompareRight("1.", "1.5x"), 0);  // "1." is not a number
}

// A sort needs a strict weak order: mixing numbers and text must not make cycles.
TEST(SortKeys, RightJustifiedIsAConsistentOrder) {
    const std::vector<std::string> texts = {"",   "0",  "-0", "5",  "-1",     "1.5",
                                            "10", "9",  "09", "A",  "AB",     "-",
                                            "+",  "1.", ".5", "B1", "X\xFDY", "100"};
    auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (const auto& a : texts) {
        EXPECT_EQ(CompareRight(a, a), 0);
        for (const auto& b : texts) {
            EXPECT_EQ(sign(CompareRight(a, b)), -sign(CompareRight(b, a))) << a << " / " << b;
            for (const auto& c : texts) {
                if (CompareRight(a, b) <= 0 && CompareRight(b, c) <= 0) {
                    EXPECT_LE(CompareRight(a, c), 0) << a << " / " << b << " / " << c;
                }
            }
        }
    }
}

TEST(SortKeys, TheDictionaryOfDictionariesNamesTheseKeys) {
    struct Expected {
        const char* name;
        int field;
        Justification justification;
    };
    for (const Expected& e :
         {Expected{"@ID", 0, Justification::kLeft}, Expected{"@id", 0, Justification::kLeft},
          Expected{"F1", 1, Justification::kLeft}, Expected{"f7", 7, Justification::kLeft},
          Expected{"F99", 99, Justification::kLeft}, Expected{"TYPE", 1, Justification::kLeft},
          Expected{"LOC", 2, Justification::kRight},
          Expected{"RLOCATION", 2, Justification::kRight},
          Expected{"rlocation", 2, Justification::kRight}}) {
        SortKey key;
        ASSERT_TRUE(ResolveSortName(e.name, key)) << e.name;
        EXPECT_EQ(key.field, e.field) << e.name;
        EXPECT_EQ(key.justification, e.justification) << e.name;
    }
    SortKey key;
    for (const char* unknown : {"F0", "F01", "F100", "F", "ID", "LOCATION", "", "F1X"}) {
        EXPECT_FALSE(ResolveSortName(unknown, key)) << unknown;
    }
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/ErrorTable.h"

namespace {

struct LineCase {
    const char* test;
    std::string line;
    std::optional<std::string> key;  // nullopt: the line is not used
    std::string name;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.line;
}

class ConstantsLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConstantsLine, givesItsEntry) {
    const LineCase& c = GetParam();
    const auto entry = core::ErrorTable::ParseLine(c.line);
    if (!c.key) {
        EXPECT_FALSE(entry.has_value());
        return;
    }
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->key, *c.key);
    EXPECT_EQ(entry->name, c.name);
}

const LineCase kLines[] = {
    {"usedLine", "UVE_RNF = 30001 'Record not found", "30001", "Record not found"},
    {"blankAfterApostropheIsKept", "UVE_X =  39000 ' Example text", "39000", " Example text"},
    {"markerInLowerCaseIsUsed", "uve_rnf = 30001 'Lower", "30001", "Lower"},
    {"lineWithoutMarkerIsIgnored", "RNF = 30001 'Record not found", std::nullopt, {}},
    {"sevenBlanksReadAsZero", "UVE_X =       30001 'Far", std::nullopt, {}},
    {"fiveBlanksKeepTwoDigits", "UVE_X =     30001 'Near", "30", "Near"},
    {"noApostropheGivesWholeLine", "UVE_X = 30001", "30001", "UVE_X = 30001"},
    {"apostropheBeforeEquals", "UVE_X 'a = 5", "5", "a = 5"},
    {"noEqualsReadsFirstSevenCharacters", "39000 UVE_FIRST 'Named", "39000", "Named"},
    {"noEqualsAndNoNumberIsSkipped", "UVE_X 'Name = text", std::nullopt, {}},
    {"zeroCodeIsSkipped", "UVE_OK = 0 'Fine", std::nullopt, {}},
    {"negativeCode", "UVE_NEG = -5 'Negative", "-5", "Negative"},
    {"blanksInsideNumberAreSkipped", "UVE_X =- 3 0 1'Spaced", "-301", "Spaced"},
    {"tabBeforeNumber", "UVE_X =\t30001 'Tab", "30001", "Tab"},
    {"trailingTextEndsNumber", "UVE_X = 12abc", "12", "UVE_X = 12abc"},
    {"fractionKeepsItsDecimals", "UVE_X = 1.5 'Half", "1.5", "Half"},
    {"exponent", "UVE_X = 3E4 'Exp", "30000", "Exp"},
    {"exponentMarkWithoutDigits", "UVE_X = 12E 'Mark", "12", "Mark"},
};

std::string CaseName(const ::testing::TestParamInfo<LineCase>& param) {
    return param.param.test;
}

INSTANTIATE_TEST_SUITE_P(ErrorTable, ConstantsLine, ::testing::ValuesIn(kLines), CaseName);

class ErrorTableLoad : public ::testing::Test {
protected:
    std::filesystem::path dir;
    core::ErrorTable table;

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-names-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& contents) const {
        const std::string path = (dir / "Uvoaif.txt").string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }
};

TEST_F(ErrorTableLoad, linesEndWithCrCrLfOrLf) {
    ASSERT_TRUE(
        table.Load(write("UVE_A = 1 'one\rUVE_B = 2 'two\r\nUVE_C = 3 'three\n"
                         "' comment\r\n\r\nUVE_D = 4 'four")));
    EXPECT_EQ(table.size(), 4U);
    EXPECT_EQ(table.Name("1"), "one");
    EXPECT_EQ(table.Name("2"), "two");
    EXPECT_EQ(table.Name("3"), "three");
    EXPECT_EQ(table.Name("4"), "four");
}

TEST_F(ErrorTableLoad, firstLineNamingACodeWinsAndBytesReadAsLatin1) {
    ASSERT_TRUE(table.Load(write("UVE_A = 7 'caf\xE9\r\nUVE_B = 7 'second\r\n")));
    EXPECT_EQ(table.size(), 1U);
    EXPECT_EQ(table.Name("7"), std::string("caf\xE9"));
}

TEST_F(ErrorTableLoad, emptyFileGivesEmptyTable) {
    ASSERT_TRUE(table.Load(write("")));
    EXPECT_TRUE(table.empty());
}

TEST_F(ErrorTableLoad, missingFileFailsAndEmptiesTable) {
    ASSERT_TRUE(table.Load(write("UVE_A = 1 'one\r\n")));
    EXPECT_FALSE(table.Load((dir / "missing.txt").string()));
    EXPECT_TRUE(table.empty());
}

TEST_F(ErrorTableLoad, folderOrUnreadablePathFailsAndEmptiesTable) {
    ASSERT_TRUE(table.Load(write("UVE_A = 1 'one\r\n")));
    EXPECT_FALSE(table.Load(dir.string()));
    EXPECT_TRUE(table.empty());
}

TEST_F(ErrorTableLoad, namesAreLookedUpByCodeOrByItsText) {
    ASSERT_TRUE(table.Load(write("UVE_NEG = -5 'Negative\r\nUVE_X = 1.5 'Half\r\n")));
    EXPECT_EQ(table.Name(-5), "Negative");
    EXPECT_EQ(table.Name("1.5"), "Half");
    EXPECT_EQ(table.Name(1), std::nullopt);
}

}  // namespace

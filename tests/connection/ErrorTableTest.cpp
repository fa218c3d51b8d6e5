// SPDX-License-Identifier: MIT
#include <optional>

#include <gtest/gtest.h>

#include <QFile>

#include "connection/errornames/ErrorTable.h"
#include "tests/connection/ConnectionFixture.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

namespace {

struct LineCase {
    const char* test;
    QString line;
    std::optional<QString> key;  // nullopt: the line is not used
    QString name;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.line.toStdString();
}

class ConstantsLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConstantsLine, givesItsEntry) {
    const LineCase& c = GetParam();
    const auto entry = ErrorTable::ParseLine(c.line);
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
    TempDir dir;
    ErrorTable table;

    QString write(const QByteArray& contents) const {
        const QString path = dir.filePath(QStringLiteral("Uvoaif.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }
};

TEST_F(ErrorTableLoad, linesEndWithCrCrLfOrLf) {
    ASSERT_TRUE(
        table.Load(write("UVE_A = 1 'one\rUVE_B = 2 'two\r\nUVE_C = 3 'three\n"
                         "' comment\r\n\r\nUVE_D = 4 'four")));
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.Name(QStringLiteral("1")), QStringLiteral("one"));
    EXPECT_EQ(table.Name(QStringLiteral("2")), QStringLiteral("two"));
    EXPECT_EQ(table.Name(QStringLiteral("3")), QStringLiteral("three"));
    EXPECT_EQ(table.Name(QStringLiteral("4")), QStringLiteral("four"));
}

TEST_F(ErrorTableLoad, firstLineNamingACodeWinsAndBytesReadAsLatin1) {
    ASSERT_TRUE(table.Load(write("UVE_A = 7 'caf\xE9\r\nUVE_B = 7 'second\r\n")));
    EXPECT_EQ(table.size(), 1);
    EXPECT_EQ(table.Name(QStringLiteral("7")), QStringLiteral("caf\u00E9"));
}

TEST_F(ErrorTableLoad, emptyFileGivesEmptyTable) {
    ASSERT_TRUE(table.Load(write("")));
    EXPECT_TRUE(table.isEmpty());
}

TEST_F(ErrorTableLoad, missingFileFailsAndEmptiesTable) {
    ASSERT_TRUE(table.Load(write("UVE_A = 1 'one\r\n")));
    EXPECT_FALSE(table.Load(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_TRUE(table.isEmpty());
}

}  // namespace

TEST_F(ConnectionTest, shippedConstantsFileNamesTheEngineCodes) {
    loadShippedErrorTable();
    for (const char* code : {"30001", "39101", "81001"}) {
        const auto name = vars.errorTable.Name(QLatin1String(code));
        ASSERT_TRUE(name.has_value()) << code;
        EXPECT_FALSE(name->trimmed().isEmpty()) << code;
    }
}

TEST_F(ConnectionTest, missingConstantsFileIsReported) {
    EXPECT_FALSE(Load_ErrorTable(vars));
    EXPECT_EQ(ErrorTablePath(vars), programDir.path() + QStringLiteral("/Uvoaif.txt"));
}

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>

#include "platform/ui/PrivateProfile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

namespace {

struct ReadCase {
    const char* name;
    QByteArray file;
    const char* section = "login";
    const char* key = "user";
    QByteArray expected;  // Latin-1 bytes of the result
    int bufferSize = 128;
    const char* defaultValue = "none";
};

class PrivateProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PrivateProfileRead, givesTheStoredValue) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const QString path = dir.filePath("Kelvora.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.file);
    file.close();

    const QString value =
        ui::PrivateProfile::GetString(QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                      QString::fromLatin1(c.defaultValue), c.bufferSize, path);
    EXPECT_EQ(value.toLatin1(), c.expected);
}

const QByteArray kLong200 = QByteArray(100, 'a') + QByteArray(100, 'b');

INSTANTIATE_TEST_SUITE_P(
    Cases, PrivateProfileRead,
    ::testing::Values(
        ReadCase{"matchesSectionAndKeyWithoutRegardToCase", "[LOGIN]\nUSER=bob\n", "Login", "uSeR",
                 "bob"},
        ReadCase{"ignoresBlanksAroundKeyAndValue", "[login]\n \t user \t=\t  bob smith \t\n",
                 "login", "user", "bob smith"},
        ReadCase{"ignoresBlanksAroundTheSectionName", "  [ login ]\t\nuser=bob\n", "login", "user",
                 "bob"},
        ReadCase{"ignoresBlanksAroundTheRequestedNames", "[login]\nuser=bob\n", " login ",
                 "\tuser ", "bob"},
        ReadCase{"removesDoubleQuotesAndKeepsTheBlanksInside", "[login]\nuser=\" bob \"\n", "login",
                 "user", " bob "},
        ReadCase{"removesSingleQuotes", "[login]\nuser='bob'\n", "login", "user", "bob"},
        ReadCase{"keepsMismatchedQuotes", "[login]\nuser=\"bob'\n", "login", "user", "\"bob'"},
        ReadCase{"removesOnlyOnePairOfQuotes", "[login]\nuser=\"\"bob\"\"\n", "login", "user",
                 "\"bob\""},
        ReadCase{"keepsALoneQuote", "[login]\nuser=\"\n", "login", "user", "\""},
        ReadCase{"cutsALongValueToTheBufferLessOne", "[login]\nuser=" + kLong200 + "\n", "login",
                 "user", kLong200.left(127)},
        ReadCase{"cutsAfterRemovingQuotes", "[login]\nuser=\"abcdef\"\n", "login", "user", "abc",
                 4},
        ReadCase{"givesNothingForABufferOfOne", "[login]\nuser=bob\n", "login", "user", "", 1},
        ReadCase{"givesNothingForABufferOfZero", "[login]\nuser=bob\n", "login", "user", "", 0},
        ReadCase{"givesTheDefaultForAMissingSection", "[other]\nuser=bob\n", "login", "user",
                 "none"},
        ReadCase{"givesTheDefaultForAMissingKey", "[login]\naccount=x\n", "login", "user", "none"},
        ReadCase{"givesTheDefaultForAKeyOfAnotherSection",
                 "[other]\nuser=bob\n[login]\naccount=x\n[third]\nuser=eve\n", "login", "user",
                 "none"},
        ReadCase{"givesTheDefaultWithoutTrailingBlanks", "[login]\n", "login", "user", " d", 128,
                 " d \t"},
        ReadCase{"cutsTheDefaultToo", "", "login", "user", "ab", 3, "abcdef"},
        ReadCase{"givesEmptyTextForAnEmptyValue", "[login]\nuser=\nx=1\n", "login", "user", ""},
        ReadCase{"skipsCommentLines", "[login]\n;user=old\n  ; user=older\nuser=new\n", "login",
                 "user", "new"},
        ReadCase{"skipsALineWithoutEquals", "[login]\nuser\nuser=bob\n", "login", "user", "bob"},
        ReadCase{"keepsEqualsSignsInsideTheValue", "[login]\nuser=a=b = c\n", "login", "user",
                 "a=b = c"},
        ReadCase{"readsCrLfLines", "[login]\r\nuser=bob\r\npassword=pw\r\n", "login", "user",
                 "bob"},
        ReadCase{"readsALastLineWithoutLineEnd", "[login]\r\nuser=bob", "login", "user", "bob"},
        ReadCase{"takesTheFirstOfTwoSectionsOfTheName",
                 "[login]\nuser=first\n[LOGIN]\nuser=second\npassword=pw\n", "login", "user",
                 "first"},
        ReadCase{"looksOnlyInTheFirstSectionOfTheName",
                 "[login]\nuser=first\n[LOGIN]\npassword=pw\n", "login", "password", "none"},
        ReadCase{"takesTheFirstOfTwoKeys", "[login]\nuser=first\nUSER=second\n", "login", "user",
                 "first"},
        ReadCase{"keepsEveryHighByte", "[login]\nuser=\xe9\xff\xfe\xfd\x85 x\xa0\n", "login",
                 "user", "\xe9\xff\xfe\xfd\x85 x\xa0"}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

TEST(PrivateProfileReadFile, givesTheDefaultWhenTheFileIsMissing) {
    TempDir dir;
    EXPECT_EQ(
        ui::PrivateProfile::GetString("login", "user", "none", 128, dir.filePath("Kelvora.ini")),
        QStringLiteral("none"));
}

TEST(PrivateProfileReadFile, givesTheDefaultWhenThePathIsAFolder) {
    TempDir dir;
    EXPECT_EQ(ui::PrivateProfile::GetString("login", "user", "none", 128, dir.path()),
              QStringLiteral("none"));
}

}  // namespace

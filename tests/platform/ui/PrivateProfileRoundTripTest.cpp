// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "platform/ui/PrivateProfile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

namespace {

using ui::PrivateProfile::GetString;
using ui::PrivateProfile::WriteString;

// Room for any value these tests write, so a read never cuts one.
constexpr int kWideBuffer = 4096;

class PrivateProfileRoundTrip : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath("Kelvora.ini"); }

    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Writes the value, over an existing one, and gives back what a read returns.
    QString writtenThenRead(const QString& value) const {
        EXPECT_TRUE(WriteString("login", "password", "old", path()));
        EXPECT_TRUE(WriteString("login", "password", value, path())) << value.toStdString();
        return GetString("login", "password", "<none>", kWideBuffer, path());
    }

    TempDir dir_;
};

TEST_F(PrivateProfileRoundTrip, keepsBlanksAndQuotesAtTheEndsOfAValue) {
    const QStringList values = {
        " pw",    "pw ", "\tpw", "pw\t", " ",      "\t \t", "'pw'",  "\"pw\"",   "\"\"",
        "''",     "\"'", "'\"",  "\"",   "'",      "\"pw",  "pw'",   " \"pw\" ", "'p'w'",
        "\"\"\"", "= x", "; pw", "[pw]", "pw ; x", "a=b",   "\" pw",
    };
    for (const QString& value : values) {
        EXPECT_EQ(writtenThenRead(value), value) << '[' << value.toStdString() << ']';
    }
}

TEST_F(PrivateProfileRoundTrip, quotesOnlyWhatTheReaderWouldChange) {
    ASSERT_TRUE(WriteString("login", "user", "plain value", path()));
    ASSERT_TRUE(WriteString("login", "password", " pw", path()));
    ASSERT_TRUE(WriteString("login", "account", "'x'", path()));
    ASSERT_TRUE(WriteString("login", "ipaddress", "\"x", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=plain value\npassword=\" pw\"\n"
                                      "account=\"'x'\"\nipaddress=\"x\n"));
}

// Every short value over the characters the reader treats specially comes back as it
// was written over the value before it.
TEST_F(PrivateProfileRoundTrip, everyShortValueOfSpecialCharactersReadsBack) {
    const QString alphabet = QStringLiteral(" \t\"'=a");
    QStringList values = {QString()};
    for (qsizetype begin = 0, length = 0; length < 3; ++length) {
        const qsizetype end = values.size();
        for (qsizetype i = begin; i < end; ++i) {
            for (const QChar c : alphabet) {
                values << values[i] + c;
            }
        }
        begin = end;
    }
    ASSERT_EQ(values.size(), 1 + 6 + 36 + 216);
    for (const QString& value : values) {
        ASSERT_TRUE(WriteString("login", "k", value, path())) << value.toStdString();
        ASSERT_EQ(GetString("login", "k", "<none>", kWideBuffer, path()), value)
            << '[' << value.toStdString() << ']';
    }
}

// The quotes added around a value do not count against the reader's buffer.
TEST_F(PrivateProfileRoundTrip, aQuotedValueOfTheBufferLessOneReadsWhole) {
    const QString value = u' ' + QString(125, u'x') + u' ';
    ASSERT_TRUE(WriteString("login", "account", value, path()));
    EXPECT_EQ(GetString("login", "account", "", 128, path()), value);
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "connection/PlainPasswordWarning.h"
#include "connection/SessionLimits.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

using std::chrono::seconds;

TEST(PasswordInClear, loopbackHostsAreThisComputerInEveryWrittenForm) {
    for (const char* host : {"localhost", "LocalHost:31438", "127.0.0.1", "127.200.3.4:99", "::1",
                             "[::1]:4000", "::ffff:127.0.0.1", "[::ffff:127.9.9.9]:1"}) {
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
        EXPECT_FALSE(SendsPasswordInClear(host, false)) << host;
    }
    for (const char* host :
         {"db.example.com", "10.0.0.1", "128.0.0.1", "126.255.255.255", "::2", "[fe80::1]:31438",
          "127.0.0.1.example.com", "localhost.example.com", "localhost:0", "127.0.0.1:99999"}) {
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
    }
}

TEST(PasswordInClear, onlyAServerElsewhereWithoutTlsSendsItInClear) {
    EXPECT_TRUE(SendsPasswordInClear("db.example.com", false));
    EXPECT_TRUE(SendsPasswordInClear("10.0.0.1:4000", false));
    EXPECT_FALSE(SendsPasswordInClear("db.example.com", true));
    EXPECT_FALSE(SendsPasswordInClear("", false)) << "the local engine sends nothing";
}

TEST(SessionLimitsParse, wholeSecondsFromOneToADayElseTheDefault) {
    EXPECT_EQ(SessionLimits::Parse(QStringLiteral("30"), seconds(60)), seconds(30));
    EXPECT_EQ(SessionLimits::Parse(QStringLiteral(" 7 "), seconds(60)), seconds(7));
    EXPECT_EQ(SessionLimits::Parse(QStringLiteral("86400"), seconds(60)), seconds(86400));
    for (const char* bad : {"", "abc", "0", "-5", "1.5", "86401", "10s", "99999999999999999999"}) {
        EXPECT_EQ(SessionLimits::Parse(QLatin1String(bad), seconds(60)), seconds(60)) << bad;
    }
}

class SessionLimitsFile : public ConnectionTest {};

TEST_F(SessionLimitsFile, absentKeysKeepTheDefaultsAndEachKeyIsReadOnItsOwn) {
    SessionLimits limits = SessionLimits::FromSettings(programDir.path());
    EXPECT_EQ(limits.connect, SessionLimits::kDefaultConnect);
    EXPECT_EQ(limits.call, SessionLimits::kDefaultCall);

    writeSettings("[Login]\ncalltimeout=\"5\"\nConnectTimeout=never\n");
    limits = SessionLimits::FromSettings(programDir.path());
    EXPECT_EQ(limits.connect, SessionLimits::kDefaultConnect);
    EXPECT_EQ(limits.call, seconds(5));
}

TEST_F(SessionLimitsFile, secureIsReadAsYesOrNo) {
    EXPECT_FALSE(SecureFromSettings(programDir.path()));
    for (const char* yes : {"yes", "TRUE", "On", "1"}) {
        writeSettings(QByteArray("[login]\nSecure=") + yes + "\n");
        EXPECT_TRUE(SecureFromSettings(programDir.path())) << yes;
    }
    writeSettings("[login]\nSecure=no\n");
    EXPECT_FALSE(SecureFromSettings(programDir.path()));
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "connection/TlsSettings.h"
#include "connection/frmLogin.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

class TlsSettings : public ConnectionTest {};

TEST_F(TlsSettings, absentKeysLeaveTlsOffAndBothKeysAreReadAsPrivateProfileValues) {
    mv::Session session;
    ApplyTlsSettings(programDir.path(), session);
    EXPECT_FALSE(session.Secure());
    EXPECT_EQ(session.CaFile(), "");

    writeSettings("[Login]\nsecure = Yes\ncafile = \"/etc/kelvora/ca file.pem\"\n");
    ApplyTlsSettings(programDir.path(), session);
    EXPECT_TRUE(session.Secure());
    EXPECT_EQ(session.CaFile(), "/etc/kelvora/ca file.pem");

    writeSettings("[login]\nSecure=no\nCAFile=/etc/kelvora/ca.pem\n");
    ApplyTlsSettings(programDir.path(), session);
    EXPECT_FALSE(session.Secure());
}

TEST_F(TlsSettings, theLoginConnectsWithThem) {
    loadShippedErrorTable();
    writeSettings("[login]\nSecure=yes\nCAFile=/etc/kelvora/ca.pem\n");
    frmLogin login(vars);
    login.show();
    // Port 1 of this computer: nothing listens there, so the login stops at the connect.
    child<QLineEdit>(login, QStringLiteral("txtHostName")).setText(QStringLiteral("127.0.0.1:1"));
    dialogs.QueueAnswer(ui::Answer::OK);
    child<QPushButton>(login, QStringLiteral("cmdOK")).click();

    ASSERT_NE(vars.session, nullptr);
    EXPECT_TRUE(vars.session->Secure());
    EXPECT_EQ(vars.session->CaFile(), "/etc/kelvora/ca.pem");
    EXPECT_EQ(vars.session->Error(), mv::kConnectionRefused);
    // Secure: no warning that the password travels in clear, only the refusal.
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

}  // namespace

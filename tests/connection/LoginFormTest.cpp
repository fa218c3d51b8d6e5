// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "connection/frmLogin.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

class LoginForm : public ConnectionTest {
protected:
    void SetUp() override {
        login = std::make_unique<frmLogin>(vars);
        login->show();
        login->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(login.get()));
    }

    QLineEdit& edit(const char* name) const {
        return child<QLineEdit>(*login, QLatin1String(name));
    }

    std::unique_ptr<frmLogin> login;
};

TEST_F(LoginForm, controlsCaptionsAndFixedSize) {
    EXPECT_EQ(login->windowTitle(), QStringLiteral("Login"));
    const std::pair<const char*, const char*> captions[] = {
        {"Label1", "Host Name"},       {"Label2", "Account"},       {"lblLabels_0", "&User Name:"},
        {"lblLabels_1", "&Password:"}, {"Label3", "Database Type"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(child<QLabel>(*login, QLatin1String(name)).text(), QLatin1String(caption));
    }
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdOK", "OK"}, {"cmdCancel", "Cancel"}, {"Command1", "Set Defaults"}};
    int lastX = -1;
    for (const auto& [name, caption] : buttons) {
        const auto& button = child<QPushButton>(*login, QLatin1String(name));
        EXPECT_EQ(button.text(), QLatin1String(caption));
        EXPECT_GT(button.x(), lastX) << name;  // one row, left to right
        lastX = button.x();
    }
    EXPECT_TRUE(child<QPushButton>(*login, QStringLiteral("cmdOK")).isDefault());

    edit("txtPassword").setText(QStringLiteral("secret"));
    EXPECT_EQ(edit("txtPassword").displayText(), QStringLiteral("******"));
    EXPECT_EQ(edit("txtPassword").text(), QStringLiteral("secret"));

    EXPECT_EQ(login->minimumSize(), login->maximumSize());
    EXPECT_FALSE(login->windowFlags() & Qt::WindowMinMaxButtonsHint);
}

TEST_F(LoginForm, focusStartsInUserNameAndTabsInOrder) {
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"txtUserName", "txtPassword", "cmdOK", "cmdCancel", "txtHostName",
                                  "txtAccount", "Command1", "cmbDBType", "txtUserName"}));
}

TEST_F(LoginForm, accessKeysMoveToUserNameAndPassword) {
    edit("txtAccount").setFocus();
    QTest::keyClick(login.get(), Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &edit("txtPassword"));
    QTest::keyClick(login.get(), Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &edit("txtUserName"));
}

TEST_F(LoginForm, escapeCancels) {
    QTest::keyClick(&edit("txtUserName"), Qt::Key_Escape);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(login->result(), QDialog::Rejected);
    EXPECT_FALSE(vars.LoginSucceeded);
    EXPECT_EQ(vars.session, nullptr);
}

TEST_F(LoginForm, enterInTextBoxPressesOK) {
    edit("txtAccount").setText(makeAccount());
    QTest::keyClick(&edit("txtPassword"), Qt::Key_Return);
    EXPECT_TRUE(vars.LoginSucceeded);
    EXPECT_EQ(login->result(), QDialog::Accepted);
}

}  // namespace

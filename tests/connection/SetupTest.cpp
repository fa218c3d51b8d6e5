// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "connection/SettingsFile.h"
#include "connection/frmLogin.h"
#include "connection/frmSetup.h"
#include "platform/ui/PrivateProfile.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

class Setup : public ConnectionTest {
protected:
    // The value as stored, without the 127-character cut of the program's reads.
    QString stored(const QString& key) const {
        return ui::PrivateProfile::GetString(QStringLiteral("login"), key, QStringLiteral("<none>"),
                                             4096, settingsPath());
    }
};

TEST_F(Setup, controlsCaptionsAndTabOrder) {
    frmSetup setup(dialogs, SettingsFile(programDir.path()));
    EXPECT_EQ(setup.windowTitle(), QStringLiteral("Setup Values"));
    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "Universe Account"}, {"Label2", "Host Name or IP Address"}, {"Label3", "User"},
        {"Label4", "Password"},         {"Label5", "Database Type"},
    };
    for (const auto& [name, caption] : labels) {
        const auto& label = child<QLabel>(setup, QLatin1String(name));
        EXPECT_EQ(label.text(), QLatin1String(caption));
        EXPECT_TRUE(label.alignment() & Qt::AlignRight) << name;
    }
    EXPECT_EQ(child<QPushButton>(setup, QStringLiteral("cmdSave")).text(), QStringLiteral("Save"));
    EXPECT_EQ(setup.findChildren<QPushButton*>().size(), 1);  // no cancel button

    auto& password = child<QLineEdit>(setup, QStringLiteral("txtPassword"));
    password.setText(QStringLiteral("abc"));
    EXPECT_EQ(password.displayText(), QStringLiteral("###"));
    auto& type = child<QComboBox>(setup, QStringLiteral("cmbDBType"));
    EXPECT_TRUE(type.isEditable());
    ASSERT_EQ(type.count(), 2);
    EXPECT_EQ(type.itemText(0), QStringLiteral("UniVerse"));
    EXPECT_EQ(type.itemText(1), QStringLiteral("UniData"));

    setup.show();
    setup.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&setup));
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"txtAccount", "txtIP", "cmdSave", "txtUser", "txtPassword",
                                  "cmbDBType"}));
}

TEST_F(Setup, longValueIsCutTo127AndSavedBackSo) {
    writeSettings("[login]\r\naccount=" + QByteArray(200, 'a') + "\r\nDatabaseType=unidata\r\n");
    frmSetup setup(dialogs, SettingsFile(programDir.path()));
    EXPECT_EQ(child<QLineEdit>(setup, QStringLiteral("txtAccount")).text(), QString(127, u'a'));
    const auto& type = child<QComboBox>(setup, QStringLiteral("cmbDBType"));
    EXPECT_EQ(type.currentText(), QStringLiteral("unidata"));
    EXPECT_EQ(type.currentIndex(), -1);

    child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
    EXPECT_EQ(setup.result(), QDialog::Accepted);
    EXPECT_EQ(stored(SettingsFile::kAccount), QString(127, u'a'));
    EXPECT_EQ(stored(SettingsFile::kDatabaseType), QStringLiteral("unidata"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Setup, savesEveryKeyInOrderAndHandsTheValuesOn) {
    frmSetup setup(dialogs, SettingsFile(programDir.path()));
    std::optional<ConnectionDefaults> handed;
    QObject::connect(&setup, &frmSetup::saved,
                     [&](const ConnectionDefaults& values) { handed = values; });
    child<QLineEdit>(setup, QStringLiteral("txtAccount")).setText(QStringLiteral("/srv/acct"));
    child<QLineEdit>(setup, QStringLiteral("txtIP")).setText(QStringLiteral("10.0.0.5"));
    child<QLineEdit>(setup, QStringLiteral("txtUser")).setText(QStringLiteral("bob"));
    child<QComboBox>(setup, QStringLiteral("cmbDBType")).setCurrentIndex(1);
    child<QPushButton>(setup, QStringLiteral("cmdSave")).click();

    ASSERT_TRUE(handed.has_value());
    EXPECT_EQ(handed->hostName, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(handed->databaseType, QStringLiteral("UniData"));
    // An empty password is written as the key with an empty value.
    static const QRegularExpression keys(
        QStringLiteral("account\\s*=.*\\n.*ipaddress\\s*=.*\\n.*user\\s*=.*\\n.*password[ \\t]*=[ "
                       "\\t]*\\r?\\n.*DatabaseType\\s*=\\s*UniData"),
        QRegularExpression::DotMatchesEverythingOption);
    EXPECT_TRUE(keys.match(QString::fromLatin1(readSettings())).hasMatch())
        << readSettings().data();
    EXPECT_EQ(stored(SettingsFile::kPassword), QString());
    EXPECT_EQ(SettingsFile(programDir.path()).Read(SettingsFile::kAccount),
              QStringLiteral("/srv/acct"));
    EXPECT_EQ(QFile::permissions(settingsPath()) & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(Setup, fileWithoutTypeGivesEmptyTypeAndOKRecordsIt) {
    writeSettings("[login]\r\naccount=" + makeAccount().toLatin1() + "\r\n");
    vars.DatabaseType = QStringLiteral("stale");
    frmLogin login(vars);
    const auto& type = child<QComboBox>(login, QStringLiteral("cmbDBType"));
    EXPECT_EQ(type.currentText(), QString());
    EXPECT_EQ(type.currentIndex(), -1);
    login.cmdOK_Click();
    EXPECT_TRUE(vars.LoginSucceeded);
    EXPECT_EQ(vars.DatabaseType, QString());
}

// Set Defaults from the login dialog, with the setup dialog driven by a script.
class SetDefaults : public ConnectionTest {
protected:
    void SetUp() override {
        writeSettings(kOriginal);
        login = std::make_unique<frmLogin>(vars);
    }

    QString field(const char* name) const {
        return child<QLineEdit>(*login, QLatin1String(name)).text();
    }
    QString typeText() const {
        return child<QComboBox>(*login, QStringLiteral("cmbDBType")).currentText();
    }

    static void fillSetup(QDialog& setup) {
        child<QLineEdit>(setup, QStringLiteral("txtAccount")).setText(QStringLiteral("/new/acct"));
        child<QLineEdit>(setup, QStringLiteral("txtIP")).setText(QStringLiteral("newhost"));
        child<QLineEdit>(setup, QStringLiteral("txtUser")).setText(QStringLiteral("newuser"));
        child<QLineEdit>(setup, QStringLiteral("txtPassword")).setText(QStringLiteral("newpw"));
        child<QComboBox>(setup, QStringLiteral("cmbDBType")).setEditText(QStringLiteral("unidata"));
    }

    void expectOriginalFields() const {
        EXPECT_EQ(field("txtAccount"), QStringLiteral("/old"));
        EXPECT_EQ(field("txtHostName"), QStringLiteral("oldhost"));
        EXPECT_EQ(field("txtUserName"), QStringLiteral("olduser"));
        EXPECT_EQ(field("txtPassword"), QStringLiteral("oldpw"));
        EXPECT_EQ(typeText(), QStringLiteral("UniVerse"));
    }

    void expectNewFields() const {
        EXPECT_EQ(field("txtAccount"), QStringLiteral("/new/acct"));
        EXPECT_EQ(field("txtHostName"), QStringLiteral("newhost"));
        EXPECT_EQ(field("txtUserName"), QStringLiteral("newuser"));
        EXPECT_EQ(field("txtPassword"), QStringLiteral("newpw"));
        EXPECT_EQ(typeText(), QStringLiteral("unidata"));
    }

    static inline const QByteArray kOriginal =
        "[login]\r\naccount=/old\r\nipaddress=oldhost\r\nuser=olduser\r\npassword=oldpw\r\n"
        "DatabaseType=UniVerse\r\n";
    std::unique_ptr<frmLogin> login;
};

TEST_F(SetDefaults, savedValuesReachFileAndLogin) {
    dialogs.QueueForm([](QDialog& setup) {
        EXPECT_EQ(child<QLineEdit>(setup, QStringLiteral("txtUser")).text(),
                  QStringLiteral("olduser"));
        fillSetup(setup);
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
    });
    login->Command1_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Setup Values"));
    expectNewFields();
    const SettingsFile settings(programDir.path());
    EXPECT_EQ(settings.Read(SettingsFile::kIpAddress), QStringLiteral("newhost"));
    EXPECT_EQ(settings.Read(SettingsFile::kDatabaseType), QStringLiteral("unidata"));
}

TEST_F(SetDefaults, abandoningSetupByItsFrameChangesNothing) {
    dialogs.QueueForm([](QDialog& setup) {
        fillSetup(setup);
        setup.close();
    });
    login->Command1_Click();
    expectOriginalFields();
    EXPECT_EQ(readSettings(), kOriginal);
}

TEST_F(SetDefaults, unwritableFileIsReportedAndValuesStillApply) {
    vars.programFolder = programDir.filePath(QStringLiteral("missing"));
    login = std::make_unique<frmLogin>(vars);
    dialogs.QueueForm([](QDialog& setup) {
        fillSetup(setup);
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
    });
    dialogs.QueueAnswer(ui::Answer::OK);
    login->Command1_Click();

    ASSERT_EQ(dialogs.shown().size(), 2u);
    const auto& box = dialogs.shown()[1];
    EXPECT_EQ(box.kind, ScriptedDialogs::Kind::MsgBox);
    EXPECT_TRUE(box.prompt.contains(QStringLiteral("could not be saved")))
        << box.prompt.toStdString();
    EXPECT_TRUE(box.prompt.contains(vars.programFolder + QStringLiteral("/Kelvora.ini")));
    EXPECT_EQ(box.icon, ui::Icon::Exclamation);
    EXPECT_EQ(box.title, QStringLiteral("Kelvora"));
    expectNewFields();
}

}  // namespace

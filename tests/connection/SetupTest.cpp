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

// Values whose ends the settings file's reader would otherwise strip come back as typed,
// in the setup dialog and in the login dialog of the next start.
TEST_F(SetDefaults, valuesWithBlanksAndQuotesAtTheirEndsReadBackAsTyped) {
    const QStringList passwords = {" pw", "pw ", "'pw'", "\"pw\""};
    for (const QString& password : passwords) {
        dialogs.QueueForm([&](QDialog& setup) {
            fillSetup(setup);
            child<QLineEdit>(setup, QStringLiteral("txtPassword")).setText(password);
            child<QLineEdit>(setup, QStringLiteral("txtUser")).setText(u'\t' + password);
            child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
        });
        login->Command1_Click();
        EXPECT_EQ(SettingsFile(programDir.path()).Read(SettingsFile::kPassword), password);
        frmLogin next(vars);
        EXPECT_EQ(child<QLineEdit>(next, QStringLiteral("txtPassword")).text(), password);
        EXPECT_EQ(child<QLineEdit>(next, QStringLiteral("txtUserName")).text(), u'\t' + password);
    }
    EXPECT_TRUE(dialogs.allAnswersUsed());
    EXPECT_EQ(dialogs.shown().size(), passwords.size());  // the forms, no message
}

// A value longer than a read gives back is refused before anything is written: the
// user is told which field and the limit, and the dialog stays open to shorten it.
TEST_F(SetDefaults, overLongValueIsRefusedWithNothingWritten) {
    const QString account127 = u'/' + QString(126, u'a');
    std::optional<ConnectionDefaults> handed;
    dialogs.QueueForm([&](QDialog& setup) {
        auto* form = qobject_cast<frmSetup*>(&setup);
        ASSERT_NE(form, nullptr);
        QObject::connect(form, &frmSetup::saved,
                         [&](const ConnectionDefaults& values) { handed = values; });
        fillSetup(setup);
        auto& account = child<QLineEdit>(setup, QStringLiteral("txtAccount"));
        account.setText(account127 + u'b');
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
        EXPECT_TRUE(setup.isVisible());
        EXPECT_FALSE(handed.has_value());
        EXPECT_EQ(readSettings(), kOriginal);
        EXPECT_EQ(setup.focusWidget(), &account);

        // The last field too long, after four that would fit: still nothing written.
        account.setText(account127);
        child<QComboBox>(setup, QStringLiteral("cmbDBType")).setEditText(QString(200, u'u'));
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
        EXPECT_EQ(readSettings(), kOriginal);

        child<QComboBox>(setup, QStringLiteral("cmbDBType")).setEditText("unidata");
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
    });
    dialogs.QueueAnswer(ui::Answer::OK);
    dialogs.QueueAnswer(ui::Answer::OK);
    login->Command1_Click();

    ASSERT_EQ(dialogs.shown().size(), 3u);
    const auto& first = dialogs.shown()[1];
    EXPECT_EQ(first.kind, ScriptedDialogs::Kind::MsgBox);
    EXPECT_EQ(first.prompt, QStringLiteral("Universe Account is 128 characters long; at most 127 "
                                           "characters can be saved.\nShorten it and press Save "
                                           "again."));
    EXPECT_EQ(first.icon, ui::Icon::Exclamation);
    EXPECT_EQ(first.title, QStringLiteral("Kelvora"));
    EXPECT_TRUE(dialogs.shown()[2].prompt.startsWith(
        QStringLiteral("Database Type is 200 characters long; at most 127")))
        << dialogs.shown()[2].prompt.toStdString();

    ASSERT_TRUE(handed.has_value());
    EXPECT_EQ(field("txtAccount"), account127);
    const SettingsFile settings(programDir.path());
    EXPECT_EQ(settings.Read(SettingsFile::kAccount), account127);
    EXPECT_EQ(settings.Read(SettingsFile::kDatabaseType), QStringLiteral("unidata"));
}

TEST_F(SetDefaults, textTheFileCannotHoldIsRefusedWithNothingWritten) {
    dialogs.QueueForm([](QDialog& setup) {
        fillSetup(setup);
        child<QLineEdit>(setup, QStringLiteral("txtPassword"))
            .setText(QString::fromUtf8("s3cr\u20act"));
        child<QPushButton>(setup, QStringLiteral("cmdSave")).click();
        EXPECT_TRUE(setup.isVisible());
        setup.close();
    });
    dialogs.QueueAnswer(ui::Answer::OK);
    login->Command1_Click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(dialogs.shown()[1].prompt.startsWith(QStringLiteral("Password holds")))
        << dialogs.shown()[1].prompt.toStdString();
    EXPECT_FALSE(dialogs.shown()[1].prompt.contains(QStringLiteral("s3cr")));
    EXPECT_EQ(readSettings(), kOriginal);
    expectOriginalFields();
}

TEST(SettingsFileWrite, refusesWhatAReadWouldNotGiveBack) {
    TempDir dir;
    const SettingsFile settings(dir.path());
    EXPECT_TRUE(settings.Write(SettingsFile::kAccount, QString(127, u'a')));
    EXPECT_FALSE(settings.Write(SettingsFile::kAccount, QString(128, u'b')));
    EXPECT_FALSE(settings.Write(SettingsFile::kPassword, QStringLiteral("a\nb")));
    EXPECT_EQ(settings.Read(SettingsFile::kAccount), QString(127, u'a'));
    EXPECT_EQ(settings.Read(SettingsFile::kPassword), QString());
}

}  // namespace

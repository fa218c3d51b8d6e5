// SPDX-License-Identifier: MIT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <utility>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "connection/frmLogin.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/UniqueFd.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

// Connects like any session but never becomes active.
class InactiveSession : public mv::Session {
public:
    bool IsActive() const override { return false; }
};

// Counts the Disconnect calls made on the session from outside (Connect may reset
// itself through Disconnect) and the sessions released.
struct SessionCounts {
    int disconnects = 0;
    int released = 0;
};

class CountingSession : public mv::Session {
public:
    explicit CountingSession(std::shared_ptr<SessionCounts> counts) : counts_(std::move(counts)) {}
    ~CountingSession() override { ++counts_->released; }
    void Connect() override {
        connecting_ = true;
        mv::Session::Connect();
        connecting_ = false;
    }
    void Disconnect() override {
        if (!connecting_) {
            ++counts_->disconnects;
        }
        mv::Session::Disconnect();
    }

private:
    std::shared_ptr<SessionCounts> counts_;  // the last session outlives the test body
    bool connecting_ = false;
};

class LoginFlow : public ConnectionTest {
protected:
    void SetUp() override {
        loadShippedErrorTable();
        login = std::make_unique<frmLogin>(vars);
        login->show();
    }

    QLineEdit& edit(const char* name) const {
        return child<QLineEdit>(*login, QLatin1String(name));
    }
    QComboBox& typeBox() const { return child<QComboBox>(*login, QStringLiteral("cmbDBType")); }
    void pressOK() const { child<QPushButton>(*login, QStringLiteral("cmdOK")).click(); }

    // The one box a failed OK shows; the dialog stays open and the login has not succeeded.
    ScriptedDialogs::Shown expectRefused() const {
        EXPECT_TRUE(login->isVisible());
        EXPECT_FALSE(vars.LoginSucceeded);
        EXPECT_EQ(dialogs.shown().size(), 1u);
        return dialogs.shown().empty() ? ScriptedDialogs::Shown{} : dialogs.shown().back();
    }

    std::unique_ptr<frmLogin> login;
};

TEST_F(LoginFlow, localAccountConnectsAndRecordsTypeAsTyped) {
    edit("txtUserName").setText(QStringLiteral("alice"));
    edit("txtPassword").setText(QStringLiteral("pw \u00E9"));
    edit("txtAccount").setText(makeAccount());
    typeBox().setFocus();
    QTest::keyClicks(&typeBox(), QStringLiteral("universe"));
    // Enter in the type box presses OK without turning the text into the item "UniVerse".
    QTest::keyClick(&typeBox(), Qt::Key_Return);

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(vars.LoginSucceeded);
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(vars.DatabaseType, QStringLiteral("universe"));
    ASSERT_NE(vars.session, nullptr);
    EXPECT_TRUE(vars.session->IsActive());
    EXPECT_EQ(vars.session->UserName(), "alice");
    EXPECT_EQ(vars.session->Password(), "pw \xE9");  // one Latin-1 byte, as typed
    EXPECT_EQ(vars.session->HostName(), "");
}

TEST_F(LoginFlow, missingAccountIsNamedUnderItsClass) {
    edit("txtAccount").setText(programDir.filePath(QStringLiteral("nowhere")));
    typeBox().setEditText(QStringLiteral("UniData"));
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();

    const auto box = expectRefused();
    EXPECT_EQ(box.prompt, ErrorName(vars, mv::kAccountNotFound));
    EXPECT_EQ(box.title, QStringLiteral("Client/Server Interface Error"));
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_EQ(vars.DatabaseType, QStringLiteral("UniData"));
    EXPECT_EQ(edit("txtAccount").text(), programDir.filePath(QStringLiteral("nowhere")));
}

TEST_F(LoginFlow, remoteHostIsAnRpcError) {
    // Port 1 of this computer: nothing listens there.
    edit("txtHostName").setText(QStringLiteral("127.0.0.1:1"));
    edit("txtAccount").setText(makeAccount());
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();

    EXPECT_EQ(expectRefused().title, QStringLiteral("UNIRPC Error"));
}

TEST_F(LoginFlow, aServerOnAnotherComputerWithoutTlsIsWarnedOfOnceARun) {
    // A name that never resolves: the login fails after the warning, quickly.
    edit("txtHostName").setText(QStringLiteral("db.invalid"));
    edit("txtAccount").setText(QStringLiteral("sales"));
    dialogs.QueueAnswer(ui::Answer::OK);
    dialogs.QueueAnswer(ui::Answer::OK);
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();
    pressOK();

    ASSERT_EQ(dialogs.shown().size(), 3u);
    const auto& warning = dialogs.shown().front();
    EXPECT_TRUE(warning.prompt.startsWith(
        QStringLiteral("The connection to db.invalid is not encrypted: your password travels "
                       "almost in clear")))
        << warning.prompt.toStdString();
    EXPECT_EQ(warning.icon, ui::Icon::Exclamation);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("UNIRPC Error"));
    EXPECT_EQ(dialogs.shown()[2].title, QStringLiteral("UNIRPC Error"));
}

TEST_F(LoginFlow, noWarningWhenTheSettingsAskForTls) {
    writeSettings("[login]\nSecure = Yes\n");
    login = std::make_unique<frmLogin>(vars);
    edit("txtHostName").setText(QStringLiteral("db.invalid"));
    edit("txtAccount").setText(QStringLiteral("sales"));
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("UNIRPC Error"));
}

TEST_F(LoginFlow, theTimeLimitsOfTheSettingsEndALoginThatGetsNoAnswer) {
    // A socket that listens and never answers: the connection is made, the service
    // request gets no reply.
    const mv::UniqueFd silent(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent.Get(), 4), 0);
    ASSERT_EQ(::getsockname(silent.Get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    // The service request and the login are calls: the call limit ends the wait.
    writeSettings("[login]\nConnectTimeout=1\nCallTimeout=1\n");
    login = std::make_unique<frmLogin>(vars);
    edit("txtHostName").setText(QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port)));
    edit("txtAccount").setText(QStringLiteral("sales"));
    dialogs.QueueAnswer(ui::Answer::OK);

    const auto start = std::chrono::steady_clock::now();
    pressOK();
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_LT(waited, std::chrono::seconds(5));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].prompt, ErrorName(vars, mv::kTimeout));
    EXPECT_FALSE(vars.lastLogin.set);
}

TEST_F(LoginFlow, aSuccessfulLoginIsRememberedForALoginAfterADroppedConnection) {
    edit("txtUserName").setText(QStringLiteral("alice"));
    edit("txtPassword").setText(QStringLiteral("pw"));
    edit("txtAccount").setText(makeAccount());
    pressOK();

    ASSERT_TRUE(vars.LoginSucceeded);
    EXPECT_TRUE(vars.lastLogin.set);
    EXPECT_EQ(vars.lastLogin.user, "alice");
    EXPECT_EQ(vars.lastLogin.password, "pw");
    EXPECT_EQ(vars.lastLogin.account, makeAccount().toStdString());
    // Nothing of it goes to the settings file.
    EXPECT_FALSE(readSettings().contains("pw"));
}

TEST_F(LoginFlow, inactiveSessionGetsTheActivationMessage) {
    vars.sessionFactory = [] { return std::make_unique<InactiveSession>(); };
    edit("txtAccount").setText(makeAccount());
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();

    const auto box = expectRefused();
    EXPECT_EQ(box.prompt,
              QStringLiteral("The Universe session could not be activated -Unspecified error!"));
    EXPECT_EQ(box.buttons, ui::Buttons::OK);
    EXPECT_EQ(box.icon, ui::Icon::None);
    EXPECT_EQ(box.title, QStringLiteral("Kelvora"));
    EXPECT_EQ(vars.DatabaseType, QString());  // no file: empty type, recorded all the same
}

TEST_F(LoginFlow, everyOKReplacesTheSessionWithoutDisconnect) {
    const auto counts = std::make_shared<SessionCounts>();
    vars.sessionFactory = [counts] { return std::make_unique<CountingSession>(counts); };
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();  // empty account path: refused
    const mv::Session* first = vars.session.get();
    ASSERT_NE(first, nullptr);

    edit("txtAccount").setText(makeAccount());
    pressOK();
    EXPECT_TRUE(vars.LoginSucceeded);
    EXPECT_NE(vars.session.get(), first);
    EXPECT_EQ(counts->released, 1);
    EXPECT_EQ(counts->disconnects, 0);
}

TEST_F(LoginFlow, cancelLeavesSessionAlone) {
    child<QPushButton>(*login, QStringLiteral("cmdCancel")).click();
    EXPECT_FALSE(login->isVisible());
    EXPECT_FALSE(vars.LoginSucceeded);
    EXPECT_EQ(vars.session, nullptr);

    // After a failed attempt the frame's close button keeps that attempt's session.
    login->show();
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();
    const mv::Session* failed = vars.session.get();
    login->close();
    EXPECT_FALSE(login->isVisible());
    EXPECT_FALSE(vars.LoginSucceeded);
    EXPECT_EQ(vars.session.get(), failed);
}

TEST_F(LoginFlow, textBeyondLatin1IsRefusedBeforeConnecting) {
    edit("txtAccount").setText(QStringLiteral("/srv/\u65E5\u672C"));
    typeBox().setEditText(QStringLiteral("UniVerse"));
    dialogs.QueueAnswer(ui::Answer::OK);
    pressOK();

    const auto box = expectRefused();
    EXPECT_TRUE(box.prompt.contains(QStringLiteral("Account"))) << box.prompt.toStdString();
    EXPECT_EQ(box.icon, ui::Icon::Exclamation);
    EXPECT_EQ(vars.session, nullptr);
    EXPECT_EQ(vars.DatabaseType, QStringLiteral("UniVerse"));
}

}  // namespace

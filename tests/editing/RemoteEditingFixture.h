// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "connection/LoginValues.h"
#include "connection/Reconnect.h"
#include "server/Listener.h"
#include "tests/editing/CuttingProxy.h"
#include "tests/editing/EditingFixture.h"

// The editing fixture logged in to a kelvora-server of its own, which a test can stop and
// start again on the same port, optionally through a proxy that cuts the connection.
class RemoteEditingFixture : public EditingFixture {
protected:
    void TearDown() override {
        proxy_.reset();
        server_.reset();
        EditingFixture::TearDown();
    }

    void startServer(std::uint16_t port = 0) {
        server::ServerConfig config;
        config.root = std::filesystem::canonical(account().toStdString()).parent_path();
        std::string why;
        ASSERT_TRUE(
            server::ParseListenAddress("127.0.0.1:" + std::to_string(port), 0, config.listen, why))
            << why;
        auto quiet = std::make_shared<server::ServerLog>([](const std::string&) {});
        server_ = server::Listener::Start(std::move(config), std::move(quiet), why);
        ASSERT_NE(server_, nullptr) << why;
        serverPort_ = server_->Port();
    }

    // The server ends every session, as a crash or a restart would, and listens again.
    void restartServer() {
        server_->Stop();
        server_.reset();
        startServer(serverPort_);
    }

    // Logs in as the login form does, through the proxy when asked, and opens ORDERS.
    void openOrdersRemote(bool throughProxy = false) {
        makeOrders();
        ASSERT_TRUE(Load_ErrorTable(vars));
        startServer();
        std::uint16_t port = serverPort_;
        if (throughProxy) {
            proxy_ = std::make_unique<CuttingProxy>(serverPort_);
            port = proxy_->Port();
        }
        host = "127.0.0.1:" + std::to_string(port);
        vars.session = vars.sessionFactory();
        ConnectWith(vars, *vars.session,
                    LoginValues{host, "account", "alice", "secret", "UniVerse", true});
        ASSERT_EQ(vars.session->Error(), 0);
        RememberLogin(vars, *vars.session);
        vars.LoginSucceeded = true;
        vars.DatabaseType = QStringLiteral("UniVerse");
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty()) << prompts().join(QLatin1Char('|')).toStdString();
        dialogs.clear();
    }

    CuttingProxy& proxy() { return *proxy_; }

    void writeSettings(const QByteArray& contents) const {
        QFile file(programDir.filePath(QStringLiteral("Kelvora.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    // The error box of a call that lost its connection, naming the host.
    std::string lostBox(const std::string& name, const std::string& record) const {
        return name + " -->Host: " + host + " -->File: ORDERS -->Record: " + record +
               " | OK | Critical | UNIRPC Error";
    }
    std::string loginAgainBox() const {
        return "The connection to " + host +
               " was lost.\nLog in again as alice to the account account? Rows you have not "
               "saved stay as they are. | YesNo | Question | Connection lost";
    }

    static constexpr const char* kLost = "The connection to the server was lost";
    std::string host;

private:
    std::unique_ptr<server::Listener> server_;
    std::uint16_t serverPort_ = 0;
    std::unique_ptr<CuttingProxy> proxy_;
};

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <asio.hpp>

#include <functional>
#include <future>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/server/ServerFixture.h"
#include "tests/server/TestCertificates.h"

// The time limits of a session hold over TLS as over plain TCP: a server that stops
// answering in the handshake, or after it, fails the call with 81015 in time.
namespace server::test {
namespace {

// One connection on a loopback port, played by script; the script's channel stays open
// until the test ends, so a silence is a silence and not a closed connection.
class SilentServer {
public:
    using Script = std::function<void(WireChannel&)>;

    explicit SilentServer(Script script)
        : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {
        port_ = acceptor_.local_endpoint().port();
        thread_ = std::thread([this, script = std::move(script)] {
            asio::error_code error;
            asio::ip::tcp::socket socket(io_);
            acceptor_.accept(socket, error);
            if (error) {
                return;
            }
            const std::unique_ptr<WireChannel> channel = WireChannel::Adopt(socket.release());
            script(*channel);
            done_.get_future().wait();
        });
    }
    ~SilentServer() {
        done_.set_value();
        asio::error_code ignored;
        acceptor_.close(ignored);
        thread_.join();
    }

    std::string Host() const { return "localhost:" + std::to_string(port_); }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::uint16_t port_ = 0;
    std::promise<void> done_;
    std::thread thread_;
};

bool Answer(WireChannel& channel, std::int32_t code) {
    Message request;
    return channel.Receive(request, 5s, 1 << 20) == WireChannel::Outcome::Ok &&
           channel.Send(Message{0, {Arg::Int(code)}}, 5s) == WireChannel::Outcome::Ok;
}

struct Timed {
    int error;
    std::chrono::steady_clock::duration took;
};

Timed ConnectSecurely(const std::string& host, const TestCertificates& pki,
                      std::function<void(mv::Session&)> then = {}) {
    mv::Session session;
    session.SetHostName(host);
    session.SetAccountPath("account");
    session.SetSecure(true);
    session.SetCaFile(pki.CaFile().string());
    session.SetRemoteLimits(400ms, 400ms);
    const auto start = std::chrono::steady_clock::now();
    session.Connect();
    if (session.Error() == 0 && then) {
        then(session);
    }
    return Timed{session.Error(), std::chrono::steady_clock::now() - start};
}

TEST(TlsTimeLimits, aServerSilentInTheHandshakeFailsTheConnectInTime) {
    TestCertificates pki;
    SilentServer server([](WireChannel& channel) { Answer(channel, 0); });
    const Timed timed = ConnectSecurely(server.Host(), pki);
    EXPECT_EQ(timed.error, mv::kTimeout);
    EXPECT_LT(timed.took, 3s);
}

TEST(TlsTimeLimits, aCallWithNoAnswerOverTlsFailsInTime) {
    TestCertificates pki;
    std::string why;
    const auto credentials =
        mv::wire::TlsCredentials::Load(pki.CertificateFile().string(), pki.KeyFile().string(), why);
    ASSERT_TRUE(credentials) << why;
    SilentServer server([&](WireChannel& channel) {
        if (Answer(channel, 0) &&
            channel.StartTlsAsServer(*credentials, 5s) == WireChannel::Outcome::Ok) {
            Answer(channel, 0);  // the login, then silence
        }
    });
    int openError = -1;
    std::chrono::steady_clock::duration openTook{};
    const Timed timed = ConnectSecurely(server.Host(), pki, [&](mv::Session& session) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(session.OpenDictionary("F"), nullptr);
        openError = session.Error();
        openTook = std::chrono::steady_clock::now() - start;
    });
    EXPECT_EQ(timed.error, mv::kTimeout);
    EXPECT_EQ(openError, mv::kTimeout);
    EXPECT_GE(openTook, 400ms);
    EXPECT_LT(openTook, 3s);
}

}  // namespace
}  // namespace server::test

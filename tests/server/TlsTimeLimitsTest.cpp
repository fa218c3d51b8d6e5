// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <asio.hpp>

#include <functional>
#include <future>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/remote/ScriptedServer.h"
#include "tests/server/ServerFixture.h"
#include "tests/server/TestCertificates.h"

// The time limits of a session hold over TLS as over plain TCP: a server that stops
// answering in the handshake, or after it, fails the call with 81015 in time.
namespace server::test {
namespace {

using testbackend::ScriptedServer;
// The channel stays open after the script, so the client meets silence, not a close.
constexpr auto kHoldOpen = ScriptedServer::AfterScript::HoldOpen;

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
    ScriptedServer server([](WireChannel& channel) { Answer(channel, 0); }, kHoldOpen);
    const Timed timed = ConnectSecurely(server.Host("localhost"), pki);
    EXPECT_EQ(timed.error, mv::kTimeout);
    EXPECT_LT(timed.took, 3s);
}

TEST(TlsTimeLimits, aCallWithNoAnswerOverTlsFailsInTime) {
    TestCertificates pki;
    std::string why;
    const auto credentials =
        mv::wire::TlsCredentials::Load(pki.CertificateFile().string(), pki.KeyFile().string(), why);
    ASSERT_TRUE(credentials) << why;
    ScriptedServer server(
        [&](WireChannel& channel) {
            if (Answer(channel, 0) &&
                channel.StartTlsAsServer(*credentials, 5s) == WireChannel::Outcome::Ok) {
                Answer(channel, 0);  // the login, then silence
            }
        },
        kHoldOpen);
    int openError = -1;
    std::chrono::steady_clock::duration openTook{};
    const Timed timed = ConnectSecurely(server.Host("localhost"), pki, [&](mv::Session& session) {
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

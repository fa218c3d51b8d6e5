// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "server/LoginThrottle.h"
#include "server/PasswordHash.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

using Clock = LoginThrottle::Clock;

TEST(LoginThrottle, countsFailuresPerAddressOverASlidingWindow) {
    LoginThrottle throttle(3, 60s);
    const Clock::time_point t0{};
    EXPECT_TRUE(throttle.Charge("10.0.0.1", t0));
    EXPECT_TRUE(throttle.Charge("10.0.0.1", t0 + 10s));
    EXPECT_TRUE(throttle.Charge("10.0.0.1", t0 + 20s));
    EXPECT_FALSE(throttle.Charge("10.0.0.1", t0 + 30s));
    // Another address has its own count; a refusal itself does not count.
    EXPECT_TRUE(throttle.Charge("10.0.0.2", t0 + 30s));
    EXPECT_FALSE(throttle.Charge("10.0.0.1", t0 + 59s));
    // The first failure leaves the window a minute after it: one more try, not three.
    EXPECT_TRUE(throttle.Charge("10.0.0.1", t0 + 60s));
    EXPECT_FALSE(throttle.Charge("10.0.0.1", t0 + 61s));
}

TEST(LoginThrottle, aSuccessfulLoginDoesNotCount) {
    LoginThrottle throttle(2, 60s);
    const Clock::time_point t0{};
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(throttle.Charge("::1", t0 + std::chrono::seconds(i)));
        throttle.Refund("::1", t0 + std::chrono::seconds(i));
    }
    EXPECT_TRUE(throttle.Charge("::1", t0 + 20s));
    EXPECT_TRUE(throttle.Charge("::1", t0 + 20s));
    throttle.Refund("::1", t0 + 20s);  // one of the two
    EXPECT_TRUE(throttle.Charge("::1", t0 + 21s));
    EXPECT_FALSE(throttle.Charge("::1", t0 + 22s));
}

// The reply to a login as alice with password, on a new connection.
Message LoginReply(const TestServer& server, const std::string& password) {
    auto channel = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*channel, ServiceRequest("uvcs"))), 0);
    return Call(*channel, LoginRequest("alice", password, "account"));
}

TEST(LoginLimits, anAddressWithTooManyFailuresIsRefusedEvenTheRightPasswordUntilTheWindowMoves) {
    std::string hash;
    ASSERT_TRUE(HashPassword("right", HashCost::Minimum, hash));
    UserTable users;
    users.Set("alice", hash);
    TestServer server([&](ServerConfig& config) {
        config.users = users;
        config.failedLoginDelay = 10ms;
        config.maxLoginFailures = 3;
        config.loginFailureWindow = 1s;
    });
    EXPECT_EQ(CodeOf(LoginReply(server, "right")), 0);
    const auto firstFailure = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CodeOf(LoginReply(server, "guess")), mv::kBadPassword) << i;
    }
    const Message refused = LoginReply(server, "right");
    if (std::chrono::steady_clock::now() - firstFailure < 1s) {
        EXPECT_EQ(CodeOf(refused), mv::kTooManyLoginFailures);
        EXPECT_TRUE(server.WaitForLog("too many failed logins from 127.0.0.1"));
    }
    std::this_thread::sleep_until(firstFailure + 1100ms);
    EXPECT_EQ(CodeOf(LoginReply(server, "right")), 0);
}

TEST(SessionLimit, aConnectionOverTheLimitIsRefusedWith81016AndALaterOneServed) {
    TestServer server([](ServerConfig& config) { config.maxSessions = 3; });
    EXPECT_EQ(ServerConfig{}.maxSessions, 64u);
    const auto connect = [&] {
        auto session = std::make_unique<mv::Session>();
        session->SetHostName("127.0.0.1:" + std::to_string(server.Port()));
        session->SetAccountPath("account");
        session->SetRemoteLimits(5s, 5s);
        session->Connect();
        return session;
    };
    std::vector<std::unique_ptr<mv::Session>> sessions;
    for (int i = 0; i < 3; ++i) {
        sessions.push_back(connect());
        ASSERT_EQ(sessions.back()->Error(), 0) << i;
    }
    auto fourth = connect();
    EXPECT_EQ(fourth->Error(), mv::kConnectionRefused);
    EXPECT_FALSE(fourth->IsActive());
    EXPECT_TRUE(server.WaitForLog("3 sessions are running already: 1"));

    sessions.front()->Disconnect();
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (server.Server().SessionCount() > 2 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(connect()->Error(), 0);
}

}  // namespace
}  // namespace server::test

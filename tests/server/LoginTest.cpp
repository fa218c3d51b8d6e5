// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/PasswordHash.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

TEST(Service, bothServiceNamesAreServedWithOrWithoutTheTlsArgument) {
    TestServer server;
    for (const std::string service : {"uvcs", "udcs"}) {
        auto channel = Connect(server.Port());
        EXPECT_EQ(Call(*channel, ServiceRequest(service)), (Message{0, {Arg::Int(0)}}));
        EXPECT_EQ(CodeOf(Call(*channel, LoginRequest("u", "p", "account"))), 0) << service;
    }
    auto channel = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*channel, Message{0, {Arg::Text("udcs")}})), 0);
}

TEST(Service, unknownServicesAndTlsAreRefusedAndTheConnectionClosed) {
    TestServer server;
    for (const Message& request : {ServiceRequest("defcs"), ServiceRequest("")}) {
        auto channel = Connect(server.Port());
        EXPECT_EQ(CodeOf(Call(*channel, request)), mv::kServiceNotFound);
        EXPECT_TRUE(IsClosedByServer(*channel));
    }
    auto channel = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*channel, ServiceRequest("uvcs", 1))), mv::kTlsNotOffered);
    EXPECT_TRUE(IsClosedByServer(*channel));
}

TEST(Service, anythingButTheServiceRequestAndThenTheLoginGets39120AndIsClosed) {
    TestServer server;
    auto first = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*first, Request(mv::wire::kOpen, {Arg::Int(1), Arg::Bytes("F")}))),
              mv::kSessionNotOpen);
    EXPECT_TRUE(IsClosedByServer(*first));

    auto second = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*second, ServiceRequest("uvcs"))), 0);
    EXPECT_EQ(CodeOf(Call(*second, Request(mv::wire::kOpen, {Arg::Int(1), Arg::Bytes("F")}))),
              mv::kSessionNotOpen);
    EXPECT_TRUE(IsClosedByServer(*second));
}

TEST(Login, withoutUsersAnyNameLogsInAndTheLogNamesUserAndAccountButNotThePassword) {
    TestServer server;
    auto channel = LoggedIn(server.Port(), "account", "bob", "pa55word-xyz");
    ASSERT_TRUE(server.WaitForLog("logged in as user \"bob\" to account \"account\""));
    for (const std::string& line : server.Log()) {
        EXPECT_EQ(line.find("pa55word"), std::string::npos) << line;
    }
    // A name cannot start a forged line of its own.
    auto forger = LoggedIn(server.Port(), "account", "eve\nforged line");
    EXPECT_TRUE(server.WaitForLog("user \"eve\\x0Aforged line\""));
}

TEST(Login, withUsersOnlyTheRightPasswordLogsInAndRefusalsWaitAndLookAlike) {
    std::string hash;
    ASSERT_TRUE(HashPassword("right one", HashCost::Minimum, hash));
    UserTable users;
    users.Set("alice", hash);
    TestServer server([&](ServerConfig& config) {
        config.users = users;
        config.failedLoginDelay = 300ms;
    });

    auto good = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*good, ServiceRequest("uvcs"))), 0);
    EXPECT_EQ(Call(*good, LoginRequest("alice", "right one", "account")),
              (Message{0, {Arg::Int(0)}}));
    // The password travels XOR'd with the comms version the client sent, whatever it is.
    auto otherVersion = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*otherVersion, ServiceRequest("uvcs"))), 0);
    EXPECT_EQ(CodeOf(Call(*otherVersion, LoginRequest("alice", "right one", "account", 7))), 0);

    struct Refused {
        std::string user, password;
    };
    for (const Refused& attempt :
         {Refused{"alice", "wrong one"}, Refused{"alice", ""}, Refused{"mallory", "right one"}}) {
        auto channel = Connect(server.Port());
        EXPECT_EQ(CodeOf(Call(*channel, ServiceRequest("uvcs"))), 0);
        const auto start = std::chrono::steady_clock::now();
        const Message reply =
            Call(*channel, LoginRequest(attempt.user, attempt.password, "account"));
        EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
        // An unknown user is answered exactly as a wrong password.
        EXPECT_EQ(
            reply,
            (Message{0, {Arg::Int(mv::kBadPassword), Arg::Bytes("Wrong user name or password.")}}));
        EXPECT_TRUE(IsClosedByServer(*channel));
    }
    EXPECT_TRUE(server.WaitForLog("login refused for user \"mallory\": unknown user"));
    for (const std::string& line : server.Log()) {
        EXPECT_EQ(line.find("right one"), std::string::npos) << line;
        EXPECT_EQ(line.find("wrong one"), std::string::npos) << line;
    }
}

TEST(Login, accountsOutsideTheRootOrMissingAreRefusedWith39129) {
    TestServer server;
    std::filesystem::create_directory_symlink("/tmp", server.Root() / "escape");
    for (const std::string& account : std::vector<std::string>{
             "..", "/etc", "escape", "missing", "", (server.Root() / "..").string()}) {
        auto channel = Connect(server.Port());
        EXPECT_EQ(CodeOf(Call(*channel, ServiceRequest("udcs"))), 0);
        const Message reply = Call(*channel, LoginRequest("u", "p", account));
        EXPECT_EQ(CodeOf(reply), mv::kInvalidAccount) << account;
        EXPECT_TRUE(IsClosedByServer(*channel)) << account;
    }
    // The account named by its absolute path is inside the root, so it is served.
    auto channel = LoggedIn(server.Port(), server.Account().Path().string());
    EXPECT_EQ(CodeOf(Call(*channel, Request(mv::wire::kClearSelect, {Arg::Int(0)}))), 0);
}

}  // namespace
}  // namespace server::test

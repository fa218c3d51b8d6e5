// SPDX-License-Identifier: MIT
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/PasswordHash.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

namespace wire = mv::wire;

// Sends raw bytes on a new connection; true when the server then closes it within two
// seconds.
bool ServerClosesAfter(std::uint16_t port, const std::string& bytes) {
    mv::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return false;
    }
    if (::send(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(bytes.size())) {
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < end) {
        pollfd watched{fd.Get(), POLLIN, 0};
        if (::poll(&watched, 1, 100) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
        if (n <= 0) {
            return true;
        }
    }
    return false;
}

TEST(MalformedInput, breakingTheFramingClosesOnlyThatConnection) {
    TestServer server;
    auto bystander = LoggedIn(server.Port());

    EXPECT_TRUE(ServerClosesAfter(server.Port(), "GET / HTTP/1.0\r\nHost: x\r\n\r\n"));
    // Refused from the header alone: the 2 GiB body is never waited for nor allocated.
    EXPECT_TRUE(ServerClosesAfter(server.Port(), HeaderDeclaring(0x7FFFFFF0)));
    EXPECT_TRUE(ServerClosesAfter(server.Port(), HeaderDeclaring((64u << 20) + 1)));
    // The login, after the service request, is held to the same 16 KiB as the first message.
    EXPECT_TRUE(ServerClosesAfter(
        server.Port(), wire::Encode(ServiceRequest("uvcs")) + HeaderDeclaring((16u << 10) + 1)));
    std::string unknownType = wire::Encode(ServiceRequest("uvcs"));
    unknownType[wire::kHeaderSize + 7] = 9;
    EXPECT_TRUE(ServerClosesAfter(server.Port(), unknownType));

    auto tooMany = LoggedIn(server.Port());
    EXPECT_EQ(tooMany->Send(Message{0, std::vector<Arg>(wire::kMaxArguments + 1, Arg::Int(1))}, 2s),
              WireChannel::Outcome::Ok);
    EXPECT_TRUE(IsClosedByServer(*tooMany));
    EXPECT_TRUE(server.WaitForLog("too many arguments"));

    EXPECT_EQ(CodeOf(Call(*bystander, Request(wire::kClearSelect, {Arg::Int(0)}))), 0);
    auto newcomer = LoggedIn(server.Port());
    EXPECT_EQ(CodeOf(Call(*newcomer, Request(wire::kClearSelect, {Arg::Int(0)}))), 0);
}

TEST(MalformedInput, requestsOfTheWrongShapeAfterLoginEndTheSession) {
    TestServer server;
    server.Account().MakeDictionary("F");
    const std::vector<Message> wrong = {
        Message{0, {Arg::Bytes("37")}},
        Message{0, {}},
        Request(wire::kOpen, {Arg::Int(1)}),
        Request(wire::kOpen, {Arg::Bytes("1"), Arg::Bytes("F")}),
        Request(wire::kRead, {Arg::Int(1), Arg::Int(0), Arg::Int(5)}),
        Request(wire::kWrite, {Arg::Int(1), Arg::Int(0), Arg::Bytes("A")}),
        Request(wire::kExecute, {Arg::Bytes("SSELECT DICT F")}),
        Request(wire::kRecordLock, {Arg::Int(1), Arg::Bytes("A")}),
        Request(wire::kReadNext, {Arg::Int(0), Arg::Int(0)}),
        Request(wire::kClearSelect, {Arg::Reals({1.0})}),
    };
    for (std::size_t i = 0; i < wrong.size(); ++i) {
        auto channel = LoggedIn(server.Port());
        EXPECT_EQ(channel->Send(wrong[i], 2s), WireChannel::Outcome::Ok);
        EXPECT_TRUE(IsClosedByServer(*channel)) << "request " << i;
    }
    EXPECT_TRUE(server.WaitForLog("wrong number or type"));
}

TEST(Limits, idleSessionsEndAndTheSessionCapRefusesMore) {
    TestServer server([](ServerConfig& config) {
        config.idleTimeout = 300ms;
        config.maxSessions = 2;
    });
    auto idle = LoggedIn(server.Port());
    auto second = LoggedIn(server.Port());
    auto third = Connect(server.Port());
    EXPECT_EQ(Call(*third, ServiceRequest("uvcs")),
              (Message{0, {Arg::Int(mv::kConnectionRefused)}}));
    EXPECT_TRUE(IsClosedByServer(*third));
    EXPECT_TRUE(server.WaitForLog("2 sessions are running already"));

    EXPECT_TRUE(IsClosedByServer(*idle));
    EXPECT_TRUE(IsClosedByServer(*second));
    EXPECT_TRUE(server.WaitForLog("no request in time"));
    auto later = LoggedIn(server.Port());
    EXPECT_EQ(CodeOf(Call(*later, Request(wire::kClearSelect, {Arg::Int(0)}))), 0);
}

TEST(Limits, stoppingEndsEverySessionPromptlyEvenDuringALoginDelay) {
    std::string hash;
    ASSERT_TRUE(HashPassword("pw", HashCost::Minimum, hash));
    UserTable users;
    users.Set("alice", hash);
    TestServer server([&](ServerConfig& config) {
        config.users = users;
        config.failedLoginDelay = 30s;
    });
    auto idle = LoggedIn(server.Port(), "account", "alice", "pw");
    auto delayed = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*delayed, ServiceRequest("uvcs"))), 0);
    EXPECT_EQ(delayed->Send(LoginRequest("alice", "guess", "account"), 2s),
              WireChannel::Outcome::Ok);
    auto silent = Connect(server.Port());
    std::this_thread::sleep_for(200ms);

    const auto start = std::chrono::steady_clock::now();
    server.Server().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(server.Server().SessionCount(), 0u);
    EXPECT_TRUE(server.WaitForLog("closed: the server stops"));
}

}  // namespace
}  // namespace server::test

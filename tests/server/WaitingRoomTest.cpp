// SPDX-License-Identifier: MIT
// Connections before their login: silent ones from many addresses, many logins from one,
// refusals, and the turn of a client's connections past its share.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/DescriptorBudget.h"
#include "server/PasswordHash.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

namespace wire = mv::wire;

// A connection to the server from the loopback address `from`.
mv::UniqueFd ConnectFrom(const std::string& from, std::uint16_t port) {
    mv::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&server), sizeof server), 0);
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

// What the server did with a connection within the time given.
enum class Seen { Nothing, Answer, Closed, Reset };

// Reads until the server answers, closes or resets the connection, or the time passes;
// a whole status answer gives its code.
Seen Watch(int fd, std::chrono::milliseconds limit, std::int32_t* code = nullptr) {
    std::string bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, 20) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0) {
            return errno == ECONNRESET ? Seen::Reset : Seen::Closed;
        }
        if (got == 0) {
            return Seen::Closed;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        wire::Header header;
        std::string why;
        if (bytes.size() >= wire::kHeaderSize &&
            wire::ParseHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()), 1 << 16, header,
                              why) &&
            bytes.size() >= wire::kHeaderSize + header.bodyLength) {
            Message message;
            if (code != nullptr &&
                wire::ParseBody(header, bytes.substr(wire::kHeaderSize, header.bodyLength), message,
                                why)) {
                *code = CodeOf(message);
            }
            return Seen::Answer;
        }
    }
    return Seen::Nothing;
}

std::size_t LinesHolding(const TestServer& server, const std::string& text) {
    std::size_t count = 0;
    for (const std::string& line : server.Log()) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

UserTable OneUser() {
    std::string hash;
    EXPECT_TRUE(HashPassword("right", HashCost::Minimum, hash));
    UserTable users;
    users.Set("alice", hash);
    return users;
}

// Logs in as alice through the client objects; the error, 0 on success.
int ClientLogIn(std::uint16_t port) {
    mv::Session session;
    session.SetHostName("127.0.0.1:" + std::to_string(port));
    session.SetAccountPath("account");
    session.SetUserName("alice");
    session.SetPassword("right");
    session.SetRemoteLimits(5s, 5s);
    session.Connect();
    return session.Error();
}

TEST(WaitingRoom, silentSocketsFromManyAddressesThatReconnectLeaveARealUserHisLogins) {
    // The room as large as the descriptors allow, which the strangers do not fill; and a
    // room they overfill, where the longest waiting make room for the newcomers.
    struct Case {
        std::size_t room;  // 0: as the descriptors allow
        int addresses;
    };
    RaiseOpenFileLimit();
    for (const Case& c : {Case{0, 24}, Case{32, 9}}) {
        SCOPED_TRACE(c.room);
        TestServer server([&](ServerConfig& config) {
            config.users = OneUser();
            if (c.room > 0) {
                config.maxWaitingLogins = c.room;
            }
        });
        EXPECT_GT(server.Server().MaxWaiting(), c.room > 0 ? 31u : 4u * c.addresses);
        // Four silent connections from each address, each one that the server closes
        // opened again at once.
        std::atomic<bool> done{false};
        std::atomic<int> resets{0};
        std::vector<std::thread> strangers;
        for (int a = 0; a < c.addresses; ++a) {
            strangers.emplace_back([&, from = "127.0.3." + std::to_string(a + 1)] {
                std::vector<mv::UniqueFd> sockets;
                for (int i = 0; i < 4; ++i) {
                    sockets.push_back(ConnectFrom(from, server.Port()));
                }
                while (!done) {
                    for (mv::UniqueFd& socket : sockets) {
                        const Seen seen = Watch(socket.Get(), 5ms);
                        resets += seen == Seen::Reset ? 1 : 0;
                        if (seen != Seen::Nothing) {
                            socket = ConnectFrom(from, server.Port());
                        }
                    }
                }
            });
        }
        std::this_thread::sleep_for(300ms);
        int inTime = 0;
        for (int i = 0; i < 20; ++i) {
            const auto start = std::chrono::steady_clock::now();
            inTime +=
                ClientLogIn(server.Port()) == 0 && std::chrono::steady_clock::now() - start < 2s;
        }
        done = true;
        for (std::thread& stranger : strangers) {
            stranger.join();
        }
        EXPECT_GE(inTime, 19);
        EXPECT_EQ(resets, 0);
        // Every close before a login is counted, in one line until ten seconds have passed.
        server.Server().Stop();
        EXPECT_LE(LinesHolding(server, "ended before a login"), 2u);
        EXPECT_LT(server.Log().size(), 50u);
    }
}

TEST(WaitingRoom, manyLoginsFromOneAddressAtOnceAllGetIn) {
    TestServer server([](ServerConfig& config) { config.users = OneUser(); });
    std::vector<std::thread> team;
    std::atomic<int> failed{0};
    for (int i = 0; i < 40; ++i) {
        team.emplace_back([&] { failed += ClientLogIn(server.Port()) != 0; });
    }
    for (std::thread& member : team) {
        member.join();
    }
    EXPECT_EQ(failed, 0);
}

TEST(WaitingRoom, refusalsAreAnsweredAndClosedWithoutAResetAndLoggedAsACount) {
    TestServer server([](ServerConfig& config) { config.maxSessions = 1; });
    auto session = LoggedIn(server.Port());
    std::vector<mv::UniqueFd> refused;
    for (int i = 0; i < 40; ++i) {
        refused.push_back(ConnectFrom("127.0.0.1", server.Port()));
        EXPECT_TRUE(SendAll(refused.back().Get(), wire::Encode(ServiceRequest("uvcs"))));
    }
    for (const mv::UniqueFd& socket : refused) {
        std::int32_t code = 0;
        EXPECT_EQ(Watch(socket.Get(), 2s, &code), Seen::Answer);
        EXPECT_EQ(code, mv::kConnectionRefused);
        EXPECT_EQ(Watch(socket.Get(), 2s), Seen::Closed);
    }
    EXPECT_TRUE(server.WaitForLog("1 sessions are running already: 1"));
    EXPECT_EQ(LinesHolding(server, "sessions are running already"), 1u);
}

TEST(WaitingRoom, aClientsConnectionsPastItsShareWaitUnreadForTheirTurn) {
    TestServer server([](ServerConfig& config) {
        config.maxWaitingLoginsPerClient = 2;
        config.loginTimeout = 1500ms;
    });
    const std::string service = wire::Encode(ServiceRequest("uvcs"));
    mv::UniqueFd silent1 = ConnectFrom("127.0.0.3", server.Port());
    mv::UniqueFd silent2 = ConnectFrom("127.0.0.3", server.Port());
    mv::UniqueFd third = ConnectFrom("127.0.0.3", server.Port());
    ASSERT_TRUE(SendAll(third.Get(), service));
    EXPECT_EQ(Watch(third.Get(), 300ms), Seen::Nothing);
    // Other clients are served as before.
    mv::UniqueFd other = ConnectFrom("127.0.0.4", server.Port());
    ASSERT_TRUE(SendAll(other.Get(), service));
    std::int32_t code = -1;
    EXPECT_EQ(Watch(other.Get(), 1s, &code), Seen::Answer);
    EXPECT_EQ(code, 0);
    // One of the two goes: the third has its turn, and logs in.
    silent1.Reset();
    EXPECT_EQ(Watch(third.Get(), 1s, &code), Seen::Answer);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(SendAll(third.Get(), wire::Encode(LoginRequest("alice", "x", "account"))));
    EXPECT_EQ(Watch(third.Get(), 1s, &code), Seen::Answer);
    EXPECT_EQ(code, 0);
    // Logged in, it leaves its place to the next. Past its share, one that would have its
    // turn with hardly any of its login time left is answered 81016.
    silent2.Reset();
    mv::UniqueFd fourth = ConnectFrom("127.0.0.3", server.Port());
    mv::UniqueFd fifth = ConnectFrom("127.0.0.3", server.Port());
    mv::UniqueFd sixth = ConnectFrom("127.0.0.3", server.Port());
    ASSERT_TRUE(SendAll(fourth.Get(), service) && SendAll(sixth.Get(), service));
    EXPECT_EQ(Watch(fourth.Get(), 1s, &code), Seen::Answer);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Watch(sixth.Get(), 2500ms, &code), Seen::Answer);
    EXPECT_EQ(code, mv::kConnectionRefused);
    EXPECT_EQ(Watch(sixth.Get(), 2s), Seen::Closed);
}

}  // namespace
}  // namespace server::test

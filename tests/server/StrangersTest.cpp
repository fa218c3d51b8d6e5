// SPDX-License-Identifier: MIT
// What a client that never logs in, or a session that asks for too much, can cost the
// server: memory, session slots, descriptors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/ClientGroup.h"
#include "server/DescriptorBudget.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

namespace wire = mv::wire;

std::size_t ResidentBytes() {
    std::size_t pages = 0;
    std::size_t resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A connection to the server from the loopback address `from`, which sends bytes.
mv::UniqueFd ConnectFrom(const char* from, std::uint16_t port, const std::string& bytes = "") {
    mv::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&server), sizeof server), 0);
    EXPECT_EQ(::send(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    return fd;
}

// Reads one whole message's bytes from fd, waiting at most two seconds.
bool ReadReply(int fd) {
    const timeval limit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::uint8_t header[wire::kHeaderSize];
    if (::recv(fd, header, sizeof header, MSG_WAITALL) != static_cast<ssize_t>(sizeof header)) {
        return false;
    }
    wire::Header parsed;
    std::string why;
    if (!wire::ParseHeader(header, std::size_t{1} << 20, parsed, why)) {
        return false;
    }
    std::string body(parsed.bodyLength, '\0');
    return ::recv(fd, body.data(), body.size(), MSG_WAITALL) == static_cast<ssize_t>(body.size());
}

TEST(Strangers, declaredBodiesCostMemoryOnlyAsTheirBytesArrive) {
    TestServer server;
    // A header that declares 64 MiB, and 8 bytes of the body.
    const std::string huge = HeaderDeclaring(std::uint32_t{64} << 20) + std::string(8, 'x');
    const std::size_t before = ResidentBytes();
    std::vector<mv::UniqueFd> connections;
    for (int i = 0; i < 16; ++i) {
        const std::string stranger = "127.0.1." + std::to_string(i + 1);
        connections.push_back(ConnectFrom(stranger.c_str(), server.Port(), huge));
        mv::UniqueFd session =
            ConnectFrom("127.0.0.1", server.Port(), wire::Encode(ServiceRequest("uvcs")));
        ASSERT_TRUE(ReadReply(session.Get()));
        const std::string login = wire::Encode(LoginRequest("alice", "secret", "account"));
        ASSERT_EQ(::send(session.Get(), login.data(), login.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(login.size()));
        ASSERT_TRUE(ReadReply(session.Get()));
        ASSERT_EQ(::send(session.Get(), huge.data(), huge.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(huge.size()));
        connections.push_back(std::move(session));
    }
    std::this_thread::sleep_for(300ms);
    const std::size_t after = ResidentBytes();
    EXPECT_LT(after - std::min(before, after), std::size_t{256} << 20);
    // Before a login, more than the service request and the login needs is refused.
    EXPECT_TRUE(server.WaitForLog("malformed message"));
    EXPECT_EQ(server.Server().SessionCount(), 16u);
}

TEST(Strangers, largeRequestsWaitForTheirBytesInsteadOfGrowingTheServer) {
    TestServer server([](ServerConfig& config) { config.maxRequestBytes = std::size_t{4} << 20; });
    server.Account().MakeDictionary("F");
    const std::string record(std::size_t{3} << 20, 'x');
    // One session sends a 3 MiB write's header and a part of its body, and holds its bytes.
    mv::UniqueFd slow =
        ConnectFrom("127.0.0.1", server.Port(), wire::Encode(ServiceRequest("uvcs")));
    ASSERT_TRUE(ReadReply(slow.Get()));
    const std::string login = wire::Encode(LoginRequest("alice", "secret", "account"));
    ASSERT_EQ(::send(slow.Get(), login.data(), login.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(login.size()));
    ASSERT_TRUE(ReadReply(slow.Get()));
    const std::string write = wire::Encode(
        Request(wire::kWrite, {Arg::Int(1), Arg::Int(0), Arg::Bytes("SLOW"), Arg::Bytes(record)}));
    const std::size_t part = std::size_t{1} << 20;
    ASSERT_EQ(::send(slow.Get(), write.data(), part, MSG_NOSIGNAL), static_cast<ssize_t>(part));
    std::this_thread::sleep_for(100ms);
    // Another's write of 3 MiB waits for them, and is served once they are given back.
    auto other = LoggedIn(server.Port());
    const std::int32_t handle =
        Call(*other, Request(wire::kOpen, {Arg::Int(1), Arg::Bytes("F")})).args.at(2).integer;
    std::atomic<std::int64_t> answeredAt{0};
    std::thread waiting([&] {
        EXPECT_EQ(
            CodeOf(Call(*other, Request(wire::kWrite, {Arg::Int(handle), Arg::Int(0),
                                                       Arg::Bytes("BIG"), Arg::Bytes(record)}))),
            0);
        answeredAt = std::chrono::steady_clock::now().time_since_epoch().count();
    });
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(answeredAt, 0);
    const auto rest = std::chrono::steady_clock::now().time_since_epoch().count();
    ASSERT_EQ(::send(slow.Get(), write.data() + part, write.size() - part, MSG_NOSIGNAL),
              static_cast<ssize_t>(write.size() - part));
    EXPECT_TRUE(ReadReply(slow.Get()));
    waiting.join();
    EXPECT_GT(answeredAt, rest);
    EXPECT_EQ(server.Account().ReadFile("F", "BIG").size(), record.size());
}

TEST(Strangers, silentConnectionsTakeNoSessionSlotAndWaitOnlyTheirTime) {
    TestServer server([](ServerConfig& config) {
        config.maxSessions = 4;
        config.loginTimeout = 1500ms;
    });
    std::vector<mv::UniqueFd> strangers;
    for (int i = 0; i < 32; ++i) {
        strangers.push_back(ConnectFrom("127.0.0.2", server.Port()));
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<WireChannel>> users;
    for (int i = 0; i < 4; ++i) {
        users.push_back(LoggedIn(server.Port()));
        EXPECT_EQ(CodeOf(Call(*users.back(), Request(wire::kClearSelect, {Arg::Int(0)}))), 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // The slots are the logged-in sessions': a fifth login is refused, not a stranger.
    auto fifth = Connect(server.Port());
    EXPECT_EQ(CodeOf(Call(*fifth, ServiceRequest("uvcs"))), mv::kConnectionRefused);

    // The time to log in counts from the connection, not from each message.
    users.pop_back();
    EXPECT_TRUE(server.WaitForLog("closed by the client"));
    auto slow = Connect(server.Port());
    const auto connected = std::chrono::steady_clock::now();
    EXPECT_EQ(CodeOf(Call(*slow, ServiceRequest("uvcs"))), 0);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(IsClosedByServer(*slow));
    EXPECT_LT(std::chrono::steady_clock::now() - connected, 2200ms);
    server.Server().Stop();
    EXPECT_TRUE(server.WaitForLog("no request in time"));
}

TEST(Strangers, clientsCountByAddressAndIPv6ByNetwork) {
    const std::vector<std::pair<std::string, std::string>> groups = {
        {"10.1.2.3", "10.1.2.3"},
        {"::ffff:10.1.2.3", "10.1.2.3"},
        {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64"},
        {"2001:db8:1:2::ffff", "2001:db8:1:2::/64"},
        {"2001:db8:1:3::1", "2001:db8:1:3::/64"},
        {"::1", "::/64"},
        {"not an address", "not an address"},
    };
    for (const auto& [host, group] : groups) {
        EXPECT_EQ(ClientGroupOf(host), group) << host;
    }
}

// The process's soft limit of open files lowered for a test, and put back after.
class OpenFileLimitFor {
public:
    explicit OpenFileLimitFor(rlim_t files) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = files;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~OpenFileLimitFor() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

TEST(Strangers, openingFilesStarvesNeitherAcceptingNorOtherUsers) {
    const OpenFileLimitFor limit(384);
    TestServer server([](ServerConfig& config) { config.maxSessions = 8; });
    server.Account().MakeDictionary("F");
    const Message open = Request(wire::kOpen, {Arg::Int(1), Arg::Bytes("F")});
    // Opens up to 128 files in a session; returns how many it got before the first 31004.
    const auto openAll = [&](WireChannel& session, std::int32_t* someHandle = nullptr) {
        for (std::size_t opened = 0; opened < 128; ++opened) {
            const Message reply = Call(session, open);
            if (CodeOf(reply) != 0) {
                EXPECT_EQ(CodeOf(reply), mv::kTooManyOpenFiles);
                return opened;
            }
            if (someHandle != nullptr) {
                *someHandle = reply.args.at(2).integer;
            }
        }
        return std::size_t{128};
    };
    std::vector<std::unique_ptr<WireChannel>> alice;
    std::int32_t someHandle = 0;
    std::size_t aliceOpened = 0;
    for (int s = 0; s < 6; ++s) {
        alice.push_back(LoggedIn(server.Port(), "account", "alice"));
        aliceOpened += openAll(*alice.back(), s == 0 ? &someHandle : nullptr);
    }
    EXPECT_LT(aliceOpened, 6u * 128);
    // Another session of hers still has its reserved files, and no more.
    auto late = LoggedIn(server.Port(), "account", "alice");
    EXPECT_EQ(openAll(*late), kFilesReservedPerSession);
    // Another user gets his reserve and what she left of the shared files: about as many.
    auto bob = LoggedIn(server.Port(), "account", "bob");
    const std::size_t bobOpened = openAll(*bob);
    EXPECT_GT(bobOpened, kFilesReservedPerSession);
    const std::size_t aliceShared = aliceOpened - 6 * kFilesReservedPerSession;
    EXPECT_GE(bobOpened + 1, kFilesReservedPerSession + aliceShared);
    // A shared file she closes is hers to open again.
    EXPECT_EQ(CodeOf(Call(*alice.front(), Request(wire::kClose, {Arg::Int(someHandle)}))), 0);
    EXPECT_EQ(CodeOf(Call(*late, open)), 0);
    for (const std::string& line : server.Log()) {
        EXPECT_EQ(line.find("cannot accept"), std::string::npos) << line;
    }
}

TEST(Strangers, theOpenFileLimitSizesSessionsAndOpenFiles) {
    const DescriptorPlan roomy = PlanDescriptors(1 << 20, 10, 64, 48);
    EXPECT_TRUE(roomy.fits);
    EXPECT_EQ(roomy.maxSessions, 64u);
    EXPECT_TRUE(roomy.note.empty());
    const DescriptorPlan common = PlanDescriptors(1024, 10, 64, 48);
    EXPECT_EQ(common.maxSessions, 64u);
    EXPECT_GE(common.openFiles, 64u * 4);
    const DescriptorPlan tight = PlanDescriptors(256, 10, 64, 48);
    EXPECT_TRUE(tight.fits);
    EXPECT_LT(tight.maxSessions, 64u);
    EXPECT_NE(tight.note.find("allows"), std::string::npos);
    // Everything the plan hands out fits in the limit, the sessions' reserved files too.
    EXPECT_LE(10 + 32 + tight.maxWaiting * 2 + tight.maxSessions * 5 + tight.openFiles * 2, 256u);
    EXPECT_GE(tight.openFiles, tight.maxSessions * kFilesReservedPerSession);
    // The waiting room takes what the sessions leave, never below a few dozen.
    EXPECT_EQ(roomy.maxWaiting, 48u);
    EXPECT_EQ(tight.maxWaiting, 32u);
    EXPECT_FALSE(PlanDescriptors(100, 10, 64, 48).fits);
}

}  // namespace
}  // namespace server::test

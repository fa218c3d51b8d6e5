// SPDX-License-Identifier: MIT
#include "tests/server/ServerFixture.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/mv/ErrorCodes.h"

namespace server::test {

TestServer::TestServer(const std::function<void(ServerConfig&)>& adjust)
    : root_(std::filesystem::canonical(account_.Parent())) {
    ServerConfig config;
    config.root = root_;
    std::string why;
    EXPECT_TRUE(ParseListenAddress("127.0.0.1:0", 0, config.listen, why)) << why;
    config.failedLoginDelay = 50ms;
    config.loginTimeout = 5s;
    config.idleTimeout = 10s;
    if (adjust) {
        adjust(config);
    }
    auto log = std::make_shared<ServerLog>([this](const std::string& line) {
        const std::lock_guard lock(logMutex_);
        log_.push_back(line);
    });
    listener_ = Listener::Start(std::move(config), std::move(log), why);
    if (!listener_) {
        throw std::runtime_error("the test server did not start: " + why);
    }
}

TestServer::~TestServer() {
    listener_->Stop();
}

std::vector<std::string> TestServer::Log() const {
    const std::lock_guard lock(logMutex_);
    return log_;
}

bool TestServer::WaitForLog(const std::string& text) const {
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < end) {
        for (const std::string& line : Log()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

std::unique_ptr<WireChannel> Connect(std::uint16_t port) {
    std::unique_ptr<WireChannel> channel;
    EXPECT_EQ(WireChannel::Connect("127.0.0.1", port, 2s, channel), WireChannel::Outcome::Ok);
    return channel;
}

Message Call(WireChannel& channel, const Message& request) {
    EXPECT_EQ(channel.Send(request, 2s), WireChannel::Outcome::Ok);
    Message reply;
    const auto outcome = channel.Receive(reply, 5s, std::size_t{64} << 20);
    EXPECT_EQ(outcome, WireChannel::Outcome::Ok) << channel.Why();
    return outcome == WireChannel::Outcome::Ok ? reply : Message{};
}

bool IsClosedByServer(WireChannel& channel) {
    Message ignored;
    return channel.Receive(ignored, 2s, 1 << 20) == WireChannel::Outcome::Closed;
}

std::string HeaderDeclaring(std::uint32_t length) {
    std::string header =
        mv::wire::Encode(Message{0, {Arg::Int(0)}}).substr(0, mv::wire::kHeaderSize);
    header[4] = static_cast<char>(length >> 24);
    header[5] = static_cast<char>(length >> 16);
    header[6] = static_cast<char>(length >> 8);
    header[7] = static_cast<char>(length);
    return header;
}

Message ServiceRequest(const std::string& service, std::int32_t tls) {
    return Message{0, {Arg::Text(service), Arg::Int(tls)}};
}

Message LoginRequest(const std::string& user, const std::string& password,
                     const std::string& account, std::int32_t commsVersion) {
    std::string hidden = password;
    for (char& c : hidden) {
        c = static_cast<char>(c ^ commsVersion);
    }
    return Message{0,
                   {Arg::Int(commsVersion), Arg::Int(6), Arg::Bytes(user), Arg::Bytes(hidden),
                    Arg::Bytes(account), Arg::Bytes(""), Arg::Int(0), Arg::Int(0x7F000001),
                    Arg::Bytes("test"), Arg::Bytes("testhost"), Arg::Bytes("")}};
}

std::unique_ptr<WireChannel> LoggedIn(std::uint16_t port, const std::string& account,
                                      const std::string& user, const std::string& password) {
    auto channel = Connect(port);
    if (!channel) {
        return nullptr;
    }
    EXPECT_EQ(CodeOf(Call(*channel, ServiceRequest("uvcs"))), 0);
    EXPECT_EQ(CodeOf(Call(*channel, LoginRequest(user, password, account))), 0);
    return channel;
}

Message Request(std::int32_t function, std::vector<Arg> args) {
    Message request;
    request.args.push_back(Arg::Int(function));
    for (Arg& arg : args) {
        request.args.push_back(std::move(arg));
    }
    return request;
}

std::int32_t CodeOf(const Message& reply) {
    return !reply.args.empty() && reply.args[0].IsInteger() ? reply.args[0].integer : -1;
}

}  // namespace server::test

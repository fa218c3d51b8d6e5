// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/mv/wire/WireChannel.h"
#include "server/Listener.h"
#include "server/ServerConfig.h"
#include "tests/platform/mv/TempAccount.h"

namespace server::test {

using namespace std::chrono_literals;
using mv::wire::Arg;
using mv::wire::Message;
using mv::wire::WireChannel;

// A server on a free loopback port in this process, serving the parent folder of a
// temporary account (the account's folder name is "account"), with its log kept.
class TestServer {
public:
    // adjust may change the configuration before the server starts.
    explicit TestServer(const std::function<void(ServerConfig&)>& adjust = {});
    ~TestServer();

    std::uint16_t Port() const { return listener_->Port(); }
    Listener& Server() { return *listener_; }
    const mv::test::TempAccount& Account() const { return account_; }
    const std::filesystem::path& Root() const { return root_; }

    std::vector<std::string> Log() const;
    // Waits up to two seconds for a log line holding text.
    bool WaitForLog(const std::string& text) const;

private:
    mv::test::TempAccount account_;
    std::filesystem::path root_;
    mutable std::mutex logMutex_;
    std::vector<std::string> log_;
    std::unique_ptr<Listener> listener_;
};

std::unique_ptr<WireChannel> Connect(std::uint16_t port);
// Sends request and returns the reply; a failed receive fails the test and gives an
// empty message.
Message Call(WireChannel& channel, const Message& request);
// Whether the server closes the channel within two seconds, with no further message.
bool IsClosedByServer(WireChannel& channel);

Message ServiceRequest(const std::string& service, std::int32_t tls = 0);
// The login as the client sends it: the password's bytes XOR'd with commsVersion.
Message LoginRequest(const std::string& user, const std::string& password,
                     const std::string& account, std::int32_t commsVersion = 4);
// A connection through the service request and a login to account; fails the test when
// either is refused.
std::unique_ptr<WireChannel> LoggedIn(std::uint16_t port, const std::string& account = "account",
                                      const std::string& user = "alice",
                                      const std::string& password = "secret");

// A message header declaring a body of length bytes, with one argument.
std::string HeaderDeclaring(std::uint32_t length);

// A request of the calls after login: the function code, then args.
Message Request(std::int32_t function, std::vector<Arg> args = {});
// The return code of a reply (argument 0), or -1 when it has none.
std::int32_t CodeOf(const Message& reply);

}  // namespace server::test

// SPDX-License-Identifier: MIT
#pragma once

#include <asio.hpp>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/mv/wire/WireChannel.h"

namespace testbackend {

// A server played from a script on a loopback port, for the failures kelvora-server never
// makes: it accepts one connection and hands its channel to the script. After the script
// the channel is closed, or with HoldOpen kept open until the server ends, so a silence
// stays a silence and does not become a closed connection.
class ScriptedServer {
public:
    using Script = std::function<void(mv::wire::WireChannel&)>;
    enum class AfterScript { Close, HoldOpen };

    explicit ScriptedServer(Script script, AfterScript after = AfterScript::Close)
        : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {
        port_ = acceptor_.local_endpoint().port();
        thread_ = std::thread([this, after, script = std::move(script)] {
            asio::error_code error;
            asio::ip::tcp::socket socket(io_);
            acceptor_.accept(socket, error);
            if (error) {
                return;
            }
            const std::unique_ptr<mv::wire::WireChannel> channel =
                mv::wire::WireChannel::Adopt(socket.release());
            script(*channel);
            if (after == AfterScript::HoldOpen) {
                ended_.get_future().wait();
            }
        });
    }
    ~ScriptedServer() {
        ended_.set_value();
        asio::error_code ignored;
        acceptor_.close(ignored);
        thread_.join();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // "name:port"; a TLS client checks the certificate against the name.
    std::string Host(const std::string& name = "127.0.0.1") const {
        return name + ":" + std::to_string(port_);
    }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::uint16_t port_ = 0;
    std::promise<void> ended_;
    std::thread thread_;
};

}  // namespace testbackend

// SPDX-License-Identifier: MIT
#include "platform/mv/wire/WireChannel.h"

#include <asio.hpp>

namespace mv::wire {

struct WireChannel::Impl {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
};

namespace {

using Clock = std::chrono::steady_clock;

WireChannel::Outcome OutcomeOf(const asio::error_code& error) {
    if (error == asio::error::eof || error == asio::error::connection_reset ||
        error == asio::error::broken_pipe || error == asio::error::operation_aborted ||
        error == asio::error::bad_descriptor || error == asio::error::not_connected) {
        return WireChannel::Outcome::Closed;
    }
    if (error == asio::error::connection_refused) {
        return WireChannel::Outcome::Refused;
    }
    if (error == asio::error::timed_out) {
        return WireChannel::Outcome::TimedOut;
    }
    return WireChannel::Outcome::Failed;
}

// Runs the operation started on io until it completes or the time is up; on time-out the
// socket is closed, which completes the operation with an error.
template <typename Start>
asio::error_code RunUntil(asio::io_context& io, asio::ip::tcp::socket& socket,
                          Clock::time_point end, bool& timedOut, Start&& start) {
    asio::error_code result = asio::error::would_block;
    bool done = false;
    start([&](const asio::error_code& error) {
        result = error;
        done = true;
    });
    io.restart();
    while (!done) {
        const auto now = Clock::now();
        if (now >= end) {
            timedOut = true;
            asio::error_code ignored;
            socket.close(ignored);
            io.restart();
            io.run();  // lets the cancelled operation finish
            break;
        }
        io.run_one_for(end - now);
    }
    return result;
}

}  // namespace

WireChannel::WireChannel(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WireChannel::~WireChannel() {
    Close();
}

WireChannel::Outcome WireChannel::Connect(const std::string& host, std::uint16_t port,
                                          Duration limit, std::unique_ptr<WireChannel>& channel) {
    auto impl = std::make_unique<Impl>();
    const auto end = Clock::now() + limit;
    asio::error_code error;
    asio::ip::tcp::resolver resolver(impl->io);
    const auto endpoints = resolver.resolve(host, std::to_string(port), error);
    if (error) {
        return Outcome::HostUnknown;
    }
    bool timedOut = false;
    error = RunUntil(impl->io, impl->socket, end, timedOut, [&](auto handler) {
        asio::async_connect(impl->socket, endpoints,
                            [handler](const asio::error_code& e, const auto&) { handler(e); });
    });
    if (timedOut) {
        return Outcome::TimedOut;
    }
    if (error) {
        return OutcomeOf(error);
    }
    impl->socket.set_option(asio::ip::tcp::no_delay(true), error);
    channel.reset(new WireChannel(std::move(impl)));
    return Outcome::Ok;
}

std::unique_ptr<WireChannel> WireChannel::Adopt(int nativeSocket) {
    auto impl = std::make_unique<Impl>();
    asio::error_code error;
    impl->socket.assign(asio::ip::tcp::v6(), nativeSocket, error);
    if (error) {
        impl->socket.assign(asio::ip::tcp::v4(), nativeSocket, error);
    }
    impl->socket.set_option(asio::ip::tcp::no_delay(true), error);
    return std::unique_ptr<WireChannel>(new WireChannel(std::move(impl)));
}

WireChannel::Outcome WireChannel::Send(const Message& message, Duration limit) {
    if (!IsOpen()) {
        return Outcome::Closed;
    }
    const std::string bytes = Encode(message);
    bool timedOut = false;
    const asio::error_code error =
        RunUntil(impl_->io, impl_->socket, Clock::now() + limit, timedOut, [&](auto handler) {
            asio::async_write(impl_->socket, asio::buffer(bytes),
                              [handler](const asio::error_code& e, std::size_t) { handler(e); });
        });
    if (timedOut || error) {
        Close();
        return timedOut ? Outcome::TimedOut : OutcomeOf(error);
    }
    return Outcome::Ok;
}

WireChannel::Outcome WireChannel::ReadExactly(void* buffer, std::size_t size,
                                              Clock::time_point end) {
    bool timedOut = false;
    const asio::error_code error =
        RunUntil(impl_->io, impl_->socket, end, timedOut, [&](auto handler) {
            asio::async_read(impl_->socket, asio::buffer(buffer, size),
                             [handler](const asio::error_code& e, std::size_t) { handler(e); });
        });
    if (timedOut || error) {
        why_ = timedOut ? "no answer in time" : error.message();
        Close();
        return timedOut ? Outcome::TimedOut : OutcomeOf(error);
    }
    return Outcome::Ok;
}

WireChannel::Outcome WireChannel::Receive(Message& message, Duration limit, std::size_t maxBody) {
    if (!IsOpen()) {
        return Outcome::Closed;
    }
    const auto end = Clock::now() + limit;
    std::uint8_t headerBytes[kHeaderSize];
    Outcome outcome = ReadExactly(headerBytes, kHeaderSize, end);
    if (outcome != Outcome::Ok) {
        return outcome;
    }
    Header header;
    if (!ParseHeader(headerBytes, maxBody, header, why_)) {
        Close();
        return Outcome::Malformed;
    }
    std::string body(header.bodyLength, '\0');
    outcome = ReadExactly(body.data(), body.size(), end);
    if (outcome != Outcome::Ok) {
        return outcome;
    }
    if (!ParseBody(header, std::move(body), message, why_)) {
        Close();
        return Outcome::Malformed;
    }
    return Outcome::Ok;
}

void WireChannel::Close() {
    if (impl_ && impl_->socket.is_open()) {
        asio::error_code ignored;
        impl_->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        impl_->socket.close(ignored);
    }
}

bool WireChannel::IsOpen() const {
    return impl_ && impl_->socket.is_open();
}

std::string WireChannel::PeerAddress() const {
    asio::error_code error;
    const auto endpoint = impl_->socket.remote_endpoint(error);
    if (error) {
        return "(unknown)";
    }
    return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

std::uint32_t WireChannel::LocalIPv4() const {
    asio::error_code error;
    const auto endpoint = impl_->socket.local_endpoint(error);
    if (error) {
        return 0;
    }
    const asio::ip::address address = endpoint.address();
    if (address.is_v4()) {
        return address.to_v4().to_uint();
    }
    if (address.is_v6() && address.to_v6().is_v4_mapped()) {
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_uint();
    }
    return 0;
}

}  // namespace mv::wire

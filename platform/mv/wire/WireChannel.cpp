// SPDX-License-Identifier: MIT
#include "platform/mv/wire/WireChannel.h"

#include <algorithm>
#include <asio.hpp>
#include <asio/ssl.hpp>
#include <ctime>
#include <optional>

namespace mv::wire {

// The socket alone, or after the TLS handshake the TLS stream that owns it; reads and writes go
// to whichever is in use, so one code path serves both.
struct WireChannel::Impl {
    asio::io_context io;
    asio::ip::tcp::socket plain{io};
    std::unique_ptr<asio::ssl::context> clientContext;  // a server's context is shared
    std::optional<asio::ssl::stream<asio::ip::tcp::socket>> tls;
    bool hostMismatch = false;  // the certificate was trusted but names another host
    // Set when verifying stopped at a certificate outside its validity period; why says
    // which one and the date.
    WireChannel::Outcome validity = WireChannel::Outcome::Ok;
    std::string validityWhy;

    asio::ip::tcp::socket& Socket() { return tls ? tls->next_layer() : plain; }
    const asio::ip::tcp::socket& Socket() const { return tls ? tls->next_layer() : plain; }

    template <typename Operation>
    void WithStream(Operation&& operation) {
        if (tls) {
            operation(*tls);
        } else {
            operation(plain);
        }
    }
};

namespace {

using Clock = std::chrono::steady_clock;

// A date of a certificate as "2024-05-31 23:59:59 UTC".
std::string DateText(const ASN1_TIME* time) {
    struct tm parts {};
    char text[40];
    if (time == nullptr || ::ASN1_TIME_to_tm(time, &parts) != 1 ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0) {
        return "a date that cannot be read";
    }
    return text;
}

// The common name of a certificate, for a message: the server chose it, so anything but
// printable ASCII is shown as '?', and a long one is cut.
std::string CommonName(X509* certificate) {
    const X509_NAME* name = ::X509_get_subject_name(certificate);
    const int index = name ? ::X509_NAME_get_index_by_NID(name, NID_commonName, -1) : -1;
    const ASN1_STRING* value =
        index < 0 ? nullptr : ::X509_NAME_ENTRY_get_data(::X509_NAME_get_entry(name, index));
    if (value == nullptr) {
        return "(no name)";
    }
    std::string text;
    const unsigned char* bytes = ::ASN1_STRING_get0_data(value);
    for (int i = 0; i < ::ASN1_STRING_length(value) && text.size() < 64; ++i) {
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?';
    }
    return text;
}

// When verifying the server's chain failed because a certificate is outside its validity
// period (the server's own, or an authority's above it): TlsExpired or TlsNotYetValid
// with a sentence naming the certificate and the date; Ok for any other failure.
WireChannel::Outcome ValidityFailure(X509_STORE_CTX* store, std::string& why) {
    const int error = ::X509_STORE_CTX_get_error(store);
    X509* certificate = ::X509_STORE_CTX_get_current_cert(store);
    if ((error != X509_V_ERR_CERT_HAS_EXPIRED && error != X509_V_ERR_CERT_NOT_YET_VALID) ||
        certificate == nullptr) {
        return WireChannel::Outcome::Ok;
    }
    why = ::X509_STORE_CTX_get_error_depth(store) == 0
              ? std::string("the server's certificate")
              : "the certificate of the authority \"" + CommonName(certificate) +
                    "\" in the server's chain";
    if (error == X509_V_ERR_CERT_HAS_EXPIRED) {
        why += " expired on " + DateText(::X509_get0_notAfter(certificate));
        return WireChannel::Outcome::TlsExpired;
    }
    why += " is valid only from " + DateText(::X509_get0_notBefore(certificate));
    return WireChannel::Outcome::TlsNotYetValid;
}

// How much of a message body is read before the buffer grows (it doubles after that).
constexpr std::size_t kFirstBodyChunk = std::size_t{64} << 10;

WireChannel::Outcome OutcomeOf(const asio::error_code& error) {
    if (error == asio::error::eof || error == asio::error::connection_reset ||
        error == asio::error::broken_pipe || error == asio::error::operation_aborted ||
        error == asio::error::bad_descriptor || error == asio::error::not_connected ||
        error == asio::ssl::error::stream_truncated) {
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
    error = RunUntil(impl->io, impl->plain, end, timedOut, [&](auto handler) {
        asio::async_connect(impl->plain, endpoints,
                            [handler](const asio::error_code& e, const auto&) { handler(e); });
    });
    if (timedOut) {
        return Outcome::TimedOut;
    }
    if (error) {
        return OutcomeOf(error);
    }
    impl->plain.set_option(asio::ip::tcp::no_delay(true), error);
    channel.reset(new WireChannel(std::move(impl)));
    return Outcome::Ok;
}

std::unique_ptr<WireChannel> WireChannel::Adopt(int nativeSocket) {
    auto impl = std::make_unique<Impl>();
    asio::error_code error;
    impl->plain.assign(asio::ip::tcp::v6(), nativeSocket, error);
    if (error) {
        impl->plain.assign(asio::ip::tcp::v4(), nativeSocket, error);
    }
    impl->plain.set_option(asio::ip::tcp::no_delay(true), error);
    return std::unique_ptr<WireChannel>(new WireChannel(std::move(impl)));
}

WireChannel::Outcome WireChannel::Send(const Message& message, Duration limit) {
    if (!IsOpen()) {
        return Outcome::Closed;
    }
    const std::string bytes = Encode(message);
    bool timedOut = false;
    const asio::error_code error =
        RunUntil(impl_->io, impl_->Socket(), Clock::now() + limit, timedOut, [&](auto handler) {
            impl_->WithStream([&](auto& stream) {
                asio::async_write(
                    stream, asio::buffer(bytes),
                    [handler](const asio::error_code& e, std::size_t) { handler(e); });
            });
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
        RunUntil(impl_->io, impl_->Socket(), end, timedOut, [&](auto handler) {
            impl_->WithStream([&](auto& stream) {
                asio::async_read(stream, asio::buffer(buffer, size),
                                 [handler](const asio::error_code& e, std::size_t) { handler(e); });
            });
        });
    if (timedOut || error) {
        why_ = timedOut ? "no answer in time" : error.message();
        Close();
        return timedOut ? Outcome::TimedOut : OutcomeOf(error);
    }
    return Outcome::Ok;
}

WireChannel::Outcome WireChannel::Receive(Message& message, Duration limit, std::size_t maxBody) {
    return Receive(message, limit, maxBody, nullptr);
}

WireChannel::Outcome WireChannel::Receive(Message& message, Duration limit, std::size_t maxBody,
                                          const BodyMemory& memory) {
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
    if (memory && !memory(header.bodyLength, end)) {
        why_ = "no memory for the message in time";
        Close();
        return Outcome::TimedOut;
    }
    // The body grows as its bytes arrive, so a header that declares a large body costs
    // memory only once the peer has sent that much.
    std::string body;
    while (body.size() < header.bodyLength) {
        if (memory && body.size() == kFirstBodyChunk) {
            body.reserve(header.bodyLength);
        }
        const std::size_t have = body.size();
        const std::size_t chunk =
            std::min<std::size_t>(header.bodyLength - have, std::max(kFirstBodyChunk, have));
        body.resize(have + chunk);
        outcome = ReadExactly(body.data() + have, chunk, end);
        if (outcome != Outcome::Ok) {
            return outcome;
        }
    }
    if (!ParseBody(header, std::move(body), message, why_)) {
        Close();
        return Outcome::Malformed;
    }
    return Outcome::Ok;
}

void WireChannel::Close() {
    // A TLS session ends without its closing alert: waiting for the peer's answer to it
    // would need a time limit of its own, and nothing is sent after the last reply.
    if (impl_ && impl_->Socket().is_open()) {
        asio::error_code ignored;
        impl_->Socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        impl_->Socket().close(ignored);
    }
}

bool WireChannel::IsOpen() const {
    return impl_ && impl_->Socket().is_open();
}

bool WireChannel::IsEncrypted() const {
    return impl_ && impl_->tls.has_value();
}

std::string WireChannel::PeerAddress() const {
    asio::error_code error;
    const auto endpoint = impl_->Socket().remote_endpoint(error);
    if (error) {
        return "(unknown)";
    }
    return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

std::string WireChannel::PeerHost() const {
    asio::error_code error;
    const auto endpoint = impl_->Socket().remote_endpoint(error);
    if (error) {
        return "";
    }
    const asio::ip::address address = endpoint.address();
    if (address.is_v6() && address.to_v6().is_v4_mapped()) {
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_string();
    }
    return address.to_string();
}

WireChannel::Outcome WireChannel::StartTlsAsClient(const std::string& host,
                                                   const std::string& caFile, Duration limit) {
    if (!IsOpen() || impl_->tls) {
        return Outcome::Closed;
    }
    auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    ::SSL_CTX_set_min_proto_version(context->native_handle(), TLS1_2_VERSION);
    asio::error_code error;
    if (caFile.empty()) {
        context->set_default_verify_paths(error);
    } else {
        context->load_verify_file(caFile, error);
    }
    if (error) {
        why_ = caFile.empty() ? "cannot read the system's certificate store: " + error.message()
                              : "cannot read the CA file \"" + caFile + "\": " + error.message();
        Close();
        return Outcome::TlsFailed;
    }
    context->set_verify_mode(asio::ssl::verify_peer);
    impl_->clientContext = std::move(context);
    impl_->tls.emplace(std::move(impl_->plain), *impl_->clientContext);
    Impl* impl = impl_.get();
    impl->tls->set_verify_callback(
        [impl, check = asio::ssl::host_name_verification(host)](
            bool preverified, asio::ssl::verify_context& verifying) mutable {
            // Verifying stops at the first failure, so one validity failure at most is met.
            if (!preverified && impl->validity == Outcome::Ok) {
                impl->validity = ValidityFailure(verifying.native_handle(), impl->validityWhy);
            }
            const bool matches = check(preverified, verifying);
            if (preverified && !matches) {
                impl->hostMismatch = true;
            }
            return matches;
        });
    // The name the server may choose its certificate by; an address is not sent as one.
    asio::ip::make_address(host, error);
    if (error) {
        ::SSL_ctrl(impl->tls->native_handle(), SSL_CTRL_SET_TLSEXT_HOSTNAME,
                   TLSEXT_NAMETYPE_host_name, const_cast<char*>(host.c_str()));
    }
    const Outcome outcome = Handshake(/*asClient=*/true, limit);
    if (outcome == Outcome::TlsFailed) {
        const long verified = ::SSL_get_verify_result(impl->tls->native_handle());
        if (impl->hostMismatch) {
            why_ = "the server's certificate does not name the host \"" + host + "\"";
            return Outcome::TlsWrongHost;
        }
        if (impl->validity != Outcome::Ok) {
            why_ = impl->validityWhy;
            return impl->validity;
        }
        if (verified != X509_V_OK) {
            why_ = std::string("the server's certificate is not trusted: ") +
                   ::X509_verify_cert_error_string(verified);
        }
    }
    return outcome;
}

WireChannel::Outcome WireChannel::StartTlsAsServer(const TlsCredentials& credentials,
                                                   Duration limit) {
    if (!IsOpen() || impl_->tls) {
        return Outcome::Closed;
    }
    impl_->tls.emplace(std::move(impl_->plain), credentials.Context());
    return Handshake(/*asClient=*/false, limit);
}

WireChannel::Outcome WireChannel::Handshake(bool asClient, Duration limit) {
    bool timedOut = false;
    const asio::error_code error =
        RunUntil(impl_->io, impl_->Socket(), Clock::now() + limit, timedOut, [&](auto handler) {
            impl_->tls->async_handshake(
                asClient ? asio::ssl::stream_base::client : asio::ssl::stream_base::server,
                [handler](const asio::error_code& e) { handler(e); });
        });
    if (timedOut) {
        why_ = "no TLS handshake in time";
        Close();
        return Outcome::TimedOut;
    }
    if (error) {
        why_ = error == asio::error::eof ? "the peer closed the connection during the TLS handshake"
                                         : "TLS handshake failed: " + error.message();
        Close();
        return Outcome::TlsFailed;
    }
    return Outcome::Ok;
}

std::uint32_t WireChannel::LocalIPv4() const {
    asio::error_code error;
    const auto endpoint = impl_->Socket().local_endpoint(error);
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

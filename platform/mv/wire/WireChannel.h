// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/mv/wire/TlsCredentials.h"
#include "platform/mv/wire/WireMessage.h"

namespace mv::wire {

// One TCP connection that carries whole messages, on Asio: every send and receive has a
// time limit, and a message that breaks the framing rules is refused before its body is
// trusted. The connection starts in plain TCP and may switch to TLS (OpenSSL through
// Asio's ssl support) once, after which every message travels encrypted under the same
// time limits. Calls block the calling thread; one channel is used by one thread at a time.
// After any failure the channel is closed and every later call fails at once.
//
// Asio (Debian's libasio-dev, header-only) gives portable sockets, name resolution and
// timers in one well-kept library; the timeouts are asynchronous operations run for a
// bounded time on the channel's own io_context.
class WireChannel {
public:
    using Duration = std::chrono::milliseconds;

    enum class Outcome {
        Ok,
        Closed,        // the peer closed the connection, or the channel was closed
        TimedOut,      // the time limit passed
        Malformed,     // the bytes broke the framing rules (why says how)
        Refused,       // connect: nobody listens there
        HostUnknown,   // connect: the name does not resolve
        Failed,        // any other socket failure
        TlsFailed,     // the TLS handshake failed: an untrusted certificate, or a peer
                       // that does not speak TLS (why says which)
        TlsWrongHost,  // a trusted certificate that names another host
        // A certificate of the server's chain past its end date, or before its start
        // date; why says which certificate and the date.
        TlsExpired,
        TlsNotYetValid,
    };

    ~WireChannel();
    WireChannel(const WireChannel&) = delete;
    WireChannel& operator=(const WireChannel&) = delete;

    // Connects to host:port within the time limit.
    static Outcome Connect(const std::string& host, std::uint16_t port, Duration limit,
                           std::unique_ptr<WireChannel>& channel);
    // Takes over an accepted socket (a server's), by its native descriptor.
    static std::unique_ptr<WireChannel> Adopt(int nativeSocket);

    // Client side: the TLS handshake, checking the server's certificate against the
    // system's store (or the PEM file caFile when not empty) and that it names host.
    Outcome StartTlsAsClient(const std::string& host, const std::string& caFile, Duration limit);
    // Server side: the TLS handshake with the server's own certificate.
    Outcome StartTlsAsServer(const TlsCredentials& credentials, Duration limit);
    bool IsEncrypted() const;

    Outcome Send(const Message& message, Duration limit);
    // Waits for one whole message; a body over maxBody is refused unread.
    Outcome Receive(Message& message, Duration limit, std::size_t maxBody);
    // Asked for the bytes of a body once its header has declared them, before any is
    // read; may wait until the time given. False: no memory for it in time.
    using BodyMemory =
        std::function<bool(std::size_t bytes, std::chrono::steady_clock::time_point end)>;
    // As above, with the body's bytes asked of memory first (TimedOut when they are not
    // given). The body then takes its whole size once its first bytes have come, instead
    // of growing in steps that copy it.
    Outcome Receive(Message& message, Duration limit, std::size_t maxBody,
                    const BodyMemory& memory);
    void Close();
    bool IsOpen() const;

    // The reason of the last Malformed, Failed or Tls... outcome.
    const std::string& Why() const { return why_; }
    // The address of the peer as text, for logs.
    std::string PeerAddress() const;
    // The address of the peer without the port ("" when unknown), to count its logins.
    std::string PeerHost() const;
    // This side's IPv4 address as a number (0 when not IPv4), for the login.
    std::uint32_t LocalIPv4() const;

private:
    struct Impl;
    explicit WireChannel(std::unique_ptr<Impl> impl);
    Outcome ReadExactly(void* buffer, std::size_t size, std::chrono::steady_clock::time_point end);
    Outcome Handshake(bool asClient, Duration limit);

    std::unique_ptr<Impl> impl_;
    std::string why_;
};

}  // namespace mv::wire

// SPDX-License-Identifier: MIT
#include "server/Listener.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/mv/wire/WireChannel.h"
#include "server/ClientGroup.h"
#include "server/ConnectionSession.h"

namespace server {

namespace {

constexpr int kBacklog = 128;
// Connections over the session limit are answered on threads of their own, briefly;
// beyond this many at once the further ones are closed unanswered.
constexpr std::size_t kMaxRefusalsAtOnce = 16;

std::string ErrnoText() {
    return std::strerror(errno);
}

}  // namespace

Listener::Listener(ServerConfig config, std::shared_ptr<ServerLog> log)
    : config_(std::move(config)),
      log_(std::move(log)),
      authenticator_(config_.users),
      throttle_(config_.maxLoginFailures, config_.loginFailureWindow) {}

std::unique_ptr<Listener> Listener::Start(ServerConfig config, std::shared_ptr<ServerLog> log,
                                          std::string& why) {
    const DescriptorPlan plan =
        PlanDescriptors(OpenFileLimit(), DescriptorsInUse(), config.maxSessions,
                        config.maxWaitingLogins + kMaxRefusalsAtOnce);
    if (!plan.fits) {
        why = plan.note;
        return nullptr;
    }
    if (!plan.note.empty()) {
        log->Line(plan.note);
    }
    config.maxSessions = plan.maxSessions;
    std::unique_ptr<Listener> listener(new Listener(std::move(config), std::move(log)));
    listener->openFiles_ = std::make_unique<OpenFileBudget>(plan.openFiles);
    const ListenAddress& address = listener->config_.listen;
    mv::UniqueFd socket(::socket(address.Family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const int on = 1;
    if (!socket.Valid() ||
        ::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&address.socketAddress),
               address.length) != 0 ||
        ::listen(socket.Get(), kBacklog) != 0) {
        why = "cannot listen on " + FormatSocketAddress(address.socketAddress) + ": " + ErrnoText();
        return nullptr;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        why = "cannot learn the listening address: " + ErrnoText();
        return nullptr;
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        why = "cannot make a pipe: " + ErrnoText();
        return nullptr;
    }
    listener->wakeRead_ = mv::UniqueFd(wake[0]);
    listener->wakeWrite_ = mv::UniqueFd(wake[1]);
    listener->address_ = FormatSocketAddress(bound);
    listener->port_ = ntohs(bound.ss_family == AF_INET
                                ? reinterpret_cast<const sockaddr_in*>(&bound)->sin_port
                                : reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port);
    listener->listenSocket_ = std::move(socket);
    listener->acceptThread_ = std::thread([raw = listener.get()] { raw->AcceptLoop(); });
    return listener;
}

Listener::~Listener() {
    Stop();
}

std::size_t Listener::SessionCount() const {
    const std::lock_guard lock(sessionsMutex_);
    std::size_t count = 0;
    for (const auto& session : sessions_) {
        count += session->finished || session->refusal ? 0 : 1;
    }
    return count;
}

void Listener::Stop() {
    std::call_once(stopped_, [this] {
        stop_.Request();
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_.Get(), &byte, 1);
        if (!acceptThread_.joinable()) {
            return;  // never started
        }
        acceptThread_.join();
        {
            const std::lock_guard lock(sessionsMutex_);
            for (const auto& session : sessions_) {
                ::shutdown(session->interrupt.Get(), SHUT_RDWR);
            }
        }
        Reap(true);
        log_->Line("stopped");
    });
}

void Listener::AcceptLoop() {
    pollfd watched[2] = {{listenSocket_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    while (!stop_.IsRequested()) {
        if (::poll(watched, 2, -1) < 0 && errno != EINTR) {
            log_->Line("cannot wait for connections: " + ErrnoText());
            stop_.WaitFor(std::chrono::milliseconds(100));
            continue;
        }
        if (stop_.IsRequested() || (watched[1].revents & POLLIN) != 0) {
            return;
        }
        if ((watched[0].revents & POLLIN) == 0) {
            continue;
        }
        const int accepted = ::accept4(listenSocket_.Get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (accepted < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors or memory: wait for sessions to end rather than spin.
                NoteAcceptFailure(true);
                stop_.WaitFor(std::chrono::milliseconds(100));
            }
            continue;
        }
        NoteAcceptFailure(false);
        Serve(accepted);
    }
}

void Listener::NoteAcceptFailure(bool failed) {
    if (failed && !acceptFailing_) {
        log_->Line("cannot accept connections: " + ErrnoText() + "; trying again until it works");
    } else if (!failed && acceptFailing_) {
        log_->Line("accepting connections again");
    }
    acceptFailing_ = failed;
}

std::string Listener::RefusalFor(const std::string& client) const {
    std::size_t loggedIn = 0;
    std::size_t waiting = 0;
    std::size_t waitingFromClient = 0;
    for (const auto& session : sessions_) {
        if (session->finished || session->refusal) {
            continue;
        }
        if (session->loggedIn) {
            ++loggedIn;
        } else {
            ++waiting;
            waitingFromClient += session->client == client ? 1 : 0;
        }
    }
    if (loggedIn >= config_.maxSessions) {
        return std::to_string(config_.maxSessions) + " sessions are running already";
    }
    if (waitingFromClient >= config_.maxWaitingLoginsPerClient) {
        return std::to_string(waitingFromClient) + " connections from " + client +
               " are logging in already";
    }
    if (waiting >= config_.maxWaitingLogins) {
        return std::to_string(waiting) + " connections are logging in already";
    }
    return {};
}

bool Listener::ClaimSessionSlot(Running& session) {
    const std::lock_guard lock(sessionsMutex_);
    std::size_t loggedIn = 0;
    for (const auto& other : sessions_) {
        loggedIn += other->loggedIn && !other->finished ? 1 : 0;
    }
    if (loggedIn >= config_.maxSessions) {
        return false;
    }
    session.loggedIn = true;
    return true;
}

void Listener::Serve(int socket) {
    Reap(false);
    mv::UniqueFd owned(socket);
    std::string client = PeerGroupOf(socket);
    const std::lock_guard lock(sessionsMutex_);
    std::string refusal = RefusalFor(client);
    // A refusal is answered on a thread of its own for a moment: a few at once, and as
    // many from one client as it may have waiting to log in, so that one client's
    // flood leaves the answers for others.
    std::size_t refusing = 0;
    std::size_t refusingClient = 0;
    for (const auto& session : sessions_) {
        refusing += session->refusal ? 1 : 0;
        refusingClient += session->refusal && session->client == client ? 1 : 0;
    }
    if (!refusal.empty() &&
        (refusing >= kMaxRefusalsAtOnce || refusingClient >= config_.maxWaitingLoginsPerClient)) {
        log_->Line("closed a connection unanswered: " + refusal);
        return;
    }
    auto running = std::make_unique<Running>();
    running->refusal = !refusal.empty();
    running->client = std::move(client);
    running->interrupt = mv::UniqueFd(::fcntl(socket, F_DUPFD_CLOEXEC, 0));
    if (!running->interrupt.Valid()) {
        log_->Line("refused a connection: " + ErrnoText());
        return;
    }
    Running* raw = running.get();
    try {
        running->thread = std::thread([this, raw, socket, refusal = std::move(refusal)] {
            {
                auto channel = mv::wire::WireChannel::Adopt(socket);
                ConnectionSession session(config_, authenticator_, throttle_, *openFiles_, *log_,
                                          stop_);
                if (!refusal.empty()) {
                    session.RefuseBusy(*channel, refusal);
                } else {
                    session.Run(*channel, [this, raw] { return ClaimSessionSlot(*raw); });
                }
            }
            // The descriptor kept for Stop holds the connection open after the channel
            // closes its own; shutting it down lets the client see the end now.
            ::shutdown(raw->interrupt.Get(), SHUT_RDWR);
            raw->finished = true;
        });
    } catch (const std::system_error& error) {
        log_->Line(std::string("refused a connection: cannot start a thread: ") + error.what());
        return;
    }
    owned.Release();  // the channel of the new thread closes it
    sessions_.push_back(std::move(running));
}

void Listener::Reap(bool waitForAll) {
    std::list<std::unique_ptr<Running>> done;
    {
        const std::lock_guard lock(sessionsMutex_);
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            if (waitForAll || (*it)->finished) {
                done.push_back(std::move(*it));
                it = sessions_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& session : done) {
        session->thread.join();
    }
}

}  // namespace server

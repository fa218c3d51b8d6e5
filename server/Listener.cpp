// SPDX-License-Identifier: MIT
#include "server/Listener.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/mv/wire/WireChannel.h"
#include "server/ClientGroup.h"
#include "server/ConnectionSession.h"

namespace server {

namespace {

constexpr int kBacklog = 128;

std::string ErrnoText() {
    return std::strerror(errno);
}

}  // namespace

Listener::Listener(ServerConfig config, std::shared_ptr<ServerLog> log)
    : config_(std::move(config)),
      log_(std::move(log)),
      authenticator_(config_.users),
      throttle_(config_.maxLoginFailures, config_.loginFailureWindow),
      // Each login counts as a failure until it succeeds: no more at once than may fail.
      loginTurns_(std::max<std::size_t>(
          1, std::min(config_.maxWaitingLoginsPerClient, config_.maxLoginFailures))),
      requestMemory_(config_.maxRequestBytes) {}

std::unique_ptr<Listener> Listener::Start(ServerConfig config, std::shared_ptr<ServerLog> log,
                                          std::string& why) {
    // The connections being refused hold a descriptor each, as if in use from the start.
    const DescriptorPlan plan =
        PlanDescriptors(OpenFileLimit(), DescriptorsInUse() + ClosingConnections::kAtOnce,
                        config.maxSessions, config.maxWaitingLogins);
    if (!plan.fits) {
        why = plan.note;
        return nullptr;
    }
    if (!plan.note.empty()) {
        log->Line(plan.note);
    }
    config.maxSessions = plan.maxSessions;
    config.maxWaitingLogins = plan.maxWaiting;
    std::unique_ptr<Listener> listener(new Listener(std::move(config), std::move(log)));
    listener->openFiles_ = std::make_unique<OpenFileBudget>(plan.openFiles, plan.maxSessions);
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
        count += session->finished ? 0 : 1;
    }
    return count;
}

void Listener::Stop() {
    std::call_once(stopped_, [this] {
        stop_.Request();
        requestMemory_.Close();
        loginTurns_.Close();
        Wake();
        if (!acceptThread_.joinable()) {
            return;  // never started
        }
        acceptThread_.join();
        {
            const std::lock_guard lock(sessionsMutex_);
            for (const auto& session : sessions_) {
                if (session->interrupt.Valid()) {
                    ::shutdown(session->interrupt.Get(), SHUT_RDWR);
                }
            }
        }
        Reap(true);
        if (const auto line = refusals_.LastLine()) {
            log_->Line(*line);
        }
        log_->Line("stopped");
    });
}

void Listener::Wake() const {
    const char byte = 0;
    // A full pipe wakes the accepting thread all the same.
    [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_.Get(), &byte, 1);
}

void Listener::AcceptLoop() {
    std::vector<pollfd> watched;
    while (!stop_.IsRequested()) {
        const std::optional<Clock::time_point> due = Tend();
        watched.assign({{listenSocket_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}});
        closing_.Watch(watched);
        int timeout = -1;
        if (due) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
            timeout = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
                wait.count(), 0, std::numeric_limits<int>::max()));
        }
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            log_->Line("cannot wait for connections: " + ErrnoText());
            stop_.WaitFor(std::chrono::milliseconds(100));
            continue;
        }
        if ((watched[1].revents & POLLIN) != 0) {
            char drained[256];
            while (::read(wakeRead_.Get(), drained, sizeof drained) > 0) {
            }
        }
        if (stop_.IsRequested()) {
            break;
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
        Admit(accepted);
    }
    closing_.CloseAll();
}

void Listener::NoteAcceptFailure(bool failed) {
    if (failed && !acceptFailing_) {
        log_->Line("cannot accept connections: " + ErrnoText() + "; trying again until it works");
    } else if (!failed && acceptFailing_) {
        log_->Line("accepting connections again");
    }
    acceptFailing_ = failed;
}

std::size_t Listener::ServedSilentFrom(const std::string& client) const {
    std::size_t served = 0;
    for (const auto& session : sessions_) {
        served += !session->finished && !session->loggedIn && !session->loginReceived &&
                          !session->waitingSocket.Valid() && session->client == client
                      ? 1
                      : 0;
    }
    return served;
}

bool Listener::MakeRoom(Clock::time_point now) {
    Running* longest = nullptr;
    for (const auto& session : sessions_) {
        if (!session->finished && !session->loggedIn && !session->loginReceived &&
            !session->madeRoom) {
            longest = session.get();  // the list is in the order of arrival
            break;
        }
    }
    if (longest == nullptr) {
        return false;
    }
    longest->madeRoom = true;
    const std::string why = "closed to make room, the longest waiting without a login";
    if (longest->waitingSocket.Valid()) {
        Refuse(std::move(longest->waitingSocket), longest->client, why, now);
        longest->finished = true;
    } else {
        // Its receive ends, and its thread closes the connection without a line of its own.
        ::shutdown(longest->interrupt.Get(), SHUT_RDWR);
        refusals_.Count(longest->client, why);
    }
    return true;
}

void Listener::Refuse(mv::UniqueFd socket, const std::string& client, const std::string& why,
                      Clock::time_point now) {
    closing_.Refuse(std::move(socket), now);
    refusals_.Count(client, why);
}

void Listener::Admit(int socket) {
    Reap(false);
    mv::UniqueFd owned(socket);
    std::string client = PeerGroupOf(socket);
    const auto now = Clock::now();
    const std::lock_guard lock(sessionsMutex_);
    std::size_t loggedIn = 0;
    std::size_t waiting = 0;
    for (const auto& session : sessions_) {
        if (session->finished || session->madeRoom) {
            continue;
        }
        (session->loggedIn ? loggedIn : waiting) += 1;
    }
    if (loggedIn >= config_.maxSessions) {
        Refuse(std::move(owned), client,
               std::to_string(config_.maxSessions) + " sessions are running already", now);
        return;
    }
    if (waiting >= config_.maxWaitingLogins && !MakeRoom(now)) {
        Refuse(std::move(owned), client,
               "the waiting room is full of connections that sent their login", now);
        return;
    }
    auto running = std::make_unique<Running>();
    running->client = std::move(client);
    running->acceptedAt = now;
    if (ServedSilentFrom(running->client) >= config_.maxWaitingLoginsPerClient) {
        running->waitingSocket = std::move(owned);  // its turn comes in Tend
    } else if (!StartServing(*running, std::move(owned))) {
        return;
    }
    sessions_.push_back(std::move(running));
}

bool Listener::StartServing(Running& running, mv::UniqueFd socket) {
    running.interrupt = mv::UniqueFd(::fcntl(socket.Get(), F_DUPFD_CLOEXEC, 0));
    if (!running.interrupt.Valid()) {
        log_->Line("refused a connection: " + ErrnoText());
        return false;
    }
    Running* raw = &running;
    const int fd = socket.Get();
    try {
        running.thread = std::thread([this, raw, fd] {
            {
                auto channel = mv::wire::WireChannel::Adopt(fd);
                ConnectionSession session(config_, authenticator_, throttle_, loginTurns_,
                                          *openFiles_, requestMemory_, *log_, stop_);
                ConnectionHooks hooks;
                hooks.acceptedAt = raw->acceptedAt;
                hooks.loginReceived = [this, raw] {
                    raw->loginReceived = true;
                    Wake();  // the client's next connection may have its turn
                };
                hooks.claimSlot = [this, raw] { return ClaimSessionSlot(*raw); };
                hooks.madeRoom = [raw] { return raw->madeRoom.load(); };
                hooks.userNumber = [this] { return ++lastUserNumber_; };
                hooks.endedBeforeLogin = [this, raw](const std::string& reason) {
                    refusals_.Count(raw->client, reason);
                };
                session.Run(*channel, hooks);
            }
            // The descriptor kept for Stop holds the connection open after the channel
            // closes its own; shutting it down lets the client see the end now.
            ::shutdown(raw->interrupt.Get(), SHUT_RDWR);
            raw->finished = true;
            Wake();  // a turn for the client's next connection, a line of counts perhaps
        });
    } catch (const std::system_error& error) {
        log_->Line(std::string("refused a connection: cannot start a thread: ") + error.what());
        running.interrupt.Reset();
        return false;
    }
    socket.Release();  // the channel of the new thread closes it
    return true;
}

std::optional<Listener::Clock::time_point> Listener::Tend() {
    Reap(false);
    const auto now = Clock::now();
    std::optional<Clock::time_point> due;
    const auto dueBy = [&due](Clock::time_point when) { due = due ? std::min(*due, when) : when; };
    const auto shortestTurn =
        std::min<Clock::duration>(config_.loginTimeout / 4, std::chrono::seconds(1));
    {
        const std::lock_guard lock(sessionsMutex_);
        std::unordered_map<std::string, std::size_t> servedSilent;
        for (const auto& session : sessions_) {
            if (!session->finished && !session->loggedIn && !session->loginReceived &&
                !session->waitingSocket.Valid()) {
                ++servedSilent[session->client];
            }
        }
        for (const auto& session : sessions_) {
            if (session->finished || !session->waitingSocket.Valid()) {
                continue;
            }
            // A turn that comes with too little of the login time left is no turn.
            const auto end = session->acceptedAt + config_.loginTimeout - shortestTurn;
            std::size_t& served = servedSilent[session->client];
            if (end <= now) {
                Refuse(std::move(session->waitingSocket), session->client,
                       "no turn to log in within the login time", now);
                session->finished = true;
            } else if (served < config_.maxWaitingLoginsPerClient) {
                if (StartServing(*session, std::move(session->waitingSocket))) {
                    ++served;
                } else {
                    session->finished = true;
                }
            } else {
                dueBy(end);
            }
        }
    }
    closing_.Tend(now);
    if (const auto line = refusals_.LineDue(now)) {
        log_->Line(*line);
    }
    if (const auto next = closing_.NextDeadline()) {
        dueBy(*next);
    }
    if (const auto next = refusals_.NextLineAt()) {
        dueBy(*next);
    }
    return due;
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
        if (session->thread.joinable()) {
            session->thread.join();
        }
    }
}

}  // namespace server

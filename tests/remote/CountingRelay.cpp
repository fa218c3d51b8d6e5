// SPDX-License-Identifier: MIT
#include "tests/remote/CountingRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace testbackend {

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point due;
    std::string bytes;  // empty: the sending side closed
    long long trip = 0;
};

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

struct CountingRelay::Impl {
    std::uint16_t targetPort = 0;
    std::chrono::milliseconds delay{0};
    int listenFd = -1;
    std::uint16_t port = 0;
    mutable std::mutex mutex;
    std::condition_variable queued;
    std::vector<std::thread> threads;
    std::vector<int> fds;
    std::thread acceptor;
    // Of each connection: the round trip of the newest bytes the server was handed, and of
    // the newest answer the client was handed; the round trips the client's bytes started.
    struct Trips {
        long long toServer = 0;
        long long toClient = 0;
        long long flights = 0;
    };
    std::deque<Trips> connections;
    int clientsOpen = 0;  // connections whose client has not closed its side yet

    // Relays one direction: bytes read are stamped with their round trip and handed on
    // after the delay, in order.
    void Direction(int from, int to, bool fromClient, Trips& trips) {
        auto queue = std::make_shared<std::deque<Chunk>>();
        threads.emplace_back([this, from, queue, fromClient, &trips] {
            char buffer[65536];
            for (;;) {
                const ssize_t n = ::read(from, buffer, sizeof buffer);
                const std::lock_guard<std::mutex> lock(mutex);
                // A client's bytes sent after the last answer start the next round trip; a
                // server's bytes answer what it was handed so far.
                const long long trip = fromClient ? trips.toClient + 1 : trips.toServer;
                if (fromClient && n > 0) {
                    trips.flights = std::max(trips.flights, trip);
                }
                clientsOpen -= fromClient && n <= 0 ? 1 : 0;
                queue->push_back(
                    {Clock::now() + delay,
                     n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string(),
                     trip});
                queued.notify_all();
                if (n <= 0) {
                    return;
                }
            }
        });
        threads.emplace_back([this, to, queue, fromClient, &trips] {
            for (;;) {
                Chunk chunk;
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    queued.wait(lock, [&] { return !queue->empty(); });
                    chunk = std::move(queue->front());
                    queue->pop_front();
                }
                std::this_thread::sleep_until(chunk.due);
                if (chunk.bytes.empty()) {
                    ::shutdown(to, SHUT_WR);
                    return;
                }
                {
                    // Before the bytes are written: what the other side sends once it has
                    // them must find them counted.
                    const std::lock_guard<std::mutex> lock(mutex);
                    long long& handed = fromClient ? trips.toServer : trips.toClient;
                    handed = std::max(handed, chunk.trip);
                }
                for (std::size_t done = 0; done < chunk.bytes.size();) {
                    // A side that has gone is no reason to stop the process.
                    const ssize_t n = ::send(to, chunk.bytes.data() + done,
                                             chunk.bytes.size() - done, MSG_NOSIGNAL);
                    if (n <= 0) {
                        break;
                    }
                    done += static_cast<std::size_t>(n);
                }
            }
        });
    }

    void Accept() {
        for (;;) {
            const int client = ::accept(listenFd, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in target = Loopback(targetPort);
            if (server < 0 ||
                ::connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
                ::close(client);
                if (server >= 0) {
                    ::close(server);
                }
                continue;
            }
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            const std::lock_guard<std::mutex> lock(mutex);
            ++clientsOpen;
            Trips& trips = connections.emplace_back();
            fds.push_back(client);
            fds.push_back(server);
            Direction(client, server, true, trips);
            Direction(server, client, false, trips);
        }
    }
};

CountingRelay::CountingRelay(std::uint16_t targetPort, std::chrono::milliseconds eachWay)
    : impl_(std::make_unique<Impl>()) {
    impl_->targetPort = targetPort;
    impl_->delay = eachWay;
    impl_->listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (impl_->listenFd < 0 ||
        ::bind(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(impl_->listenFd, 16) != 0 ||
        ::getsockname(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return;
    }
    impl_->port = ntohs(address.sin_port);
    impl_->acceptor = std::thread([this] { impl_->Accept(); });
}

CountingRelay::~CountingRelay() {
    if (impl_->listenFd >= 0) {
        ::shutdown(impl_->listenFd, SHUT_RDWR);  // wakes the accept
    }
    if (impl_->acceptor.joinable()) {
        impl_->acceptor.join();
    }
    if (impl_->listenFd >= 0) {
        ::close(impl_->listenFd);
    }
    // Connections still open end here: their threads see them closed.
    for (const int fd : impl_->fds) {
        ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& thread : impl_->threads) {
        thread.join();
    }
    for (const int fd : impl_->fds) {
        ::close(fd);
    }
}

std::string CountingRelay::Host() const {
    return "127.0.0.1:" + std::to_string(impl_->port);
}

long long CountingRelay::RoundTrips(bool whenClosed) const {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    if (whenClosed) {
        impl_->queued.wait_for(lock, std::chrono::seconds(10),
                               [&] { return impl_->clientsOpen == 0; });
    }
    long long trips = 0;
    for (const Impl::Trips& connection : impl_->connections) {
        trips += connection.flights;
    }
    return trips;
}

}  // namespace testbackend

// SPDX-License-Identifier: MIT
#include "bench/support/DelayRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// The bytes of one direction, each chunk held until its time.
class DelayedQueue {
public:
    void Push(std::string bytes, Clock::time_point due) {
        const std::lock_guard<std::mutex> lock(mutex_);
        chunks_.push_back({due, std::move(bytes)});
        ready_.notify_one();
    }
    // Empty bytes: the sending side closed.
    std::pair<Clock::time_point, std::string> Pop() {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return !chunks_.empty(); });
        auto chunk = std::move(chunks_.front());
        chunks_.pop_front();
        return chunk;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::pair<Clock::time_point, std::string>> chunks_;
};

void NoDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

struct DelayRelay::Impl {
    std::uint16_t targetPort = 0;
    std::chrono::milliseconds delay{0};
    int listenFd = -1;
    std::uint16_t port = 0;
    std::mutex mutex;
    std::vector<std::thread> threads;
    std::vector<int> fds;
    std::vector<std::unique_ptr<DelayedQueue>> queues;
    std::thread acceptor;

    void Direction(int from, int to) {
        auto queue = std::make_unique<DelayedQueue>();
        DelayedQueue* q = queue.get();
        queues.push_back(std::move(queue));
        threads.emplace_back([this, from, q] {
            char buffer[65536];
            for (;;) {
                const ssize_t n = ::read(from, buffer, sizeof buffer);
                if (n <= 0) {
                    q->Push(std::string(), Clock::now() + delay);
                    return;
                }
                q->Push(std::string(buffer, static_cast<std::size_t>(n)), Clock::now() + delay);
            }
        });
        threads.emplace_back([q, to] {
            for (;;) {
                auto [due, bytes] = q->Pop();
                std::this_thread::sleep_until(due);
                if (bytes.empty()) {
                    ::shutdown(to, SHUT_WR);
                    return;
                }
                for (std::size_t done = 0; done < bytes.size();) {
                    // A side that has gone (a client that closed without waiting for the
                    // answer to its last request) is no reason to stop the process.
                    const ssize_t n =
                        ::send(to, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
                    if (n <= 0) {
                        break;  // the reader of that side ends the connection
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
            NoDelay(client);
            NoDelay(server);
            const std::lock_guard<std::mutex> lock(mutex);
            fds.push_back(client);
            fds.push_back(server);
            Direction(client, server);
            Direction(server, client);
        }
    }
};

DelayRelay::DelayRelay(std::uint16_t targetPort, std::chrono::milliseconds eachWay)
    : impl_(std::make_unique<Impl>()) {
    impl_->targetPort = targetPort;
    impl_->delay = eachWay;
    impl_->listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (impl_->listenFd < 0 ||
        ::bind(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(impl_->listenFd, 256) != 0 ||
        ::getsockname(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return;
    }
    impl_->port = ntohs(address.sin_port);
    impl_->acceptor = std::thread([this] { impl_->Accept(); });
}

DelayRelay::~DelayRelay() {
    if (impl_->listenFd >= 0) {
        ::shutdown(impl_->listenFd, SHUT_RDWR);  // wakes the accept
    }
    if (impl_->acceptor.joinable()) {
        impl_->acceptor.join();
    }
    if (impl_->listenFd >= 0) {
        ::close(impl_->listenFd);
    }
    for (std::thread& thread : impl_->threads) {
        thread.join();
    }
    for (const int fd : impl_->fds) {
        ::close(fd);
    }
}

std::string DelayRelay::Host() const {
    return "127.0.0.1:" + std::to_string(impl_->port);
}

}  // namespace bench

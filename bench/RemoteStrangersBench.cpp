// SPDX-License-Identifier: MIT
// What strangers and crowds cost the logins of real users of one kelvora-server on loopback.
//
// 1. Large requests: 16 sessions each write an 8 MiB item at once; prints the server's
//    resident memory before, at its peak, and a second after the sessions closed.
// 2. The waiting room: silent connections, four from each of many addresses (127.0.4.x),
//    each opened again the moment the server closes it, while a real user logs in over and
//    over from 127.0.0.1. Prints the share of his logins that succeed within 2 s, his
//    median login time against the same logins without strangers (the ratio), and the
//    bytes the server logged meanwhile.
// 3. A team behind one address: many logins from 127.0.0.1 at once; prints how many get
//    in and how long the last one took.
// The users file holds hashes of the cost `kelvora-server passwd` gives. Exits 1 when a
// bar is missed: 95% of the real user's logins within 2 s, every login of the team.
// Usage: bench_remote_strangers [seconds] [addresses] [team]   (defaults 20, 99, 200)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "bench/support/ServerProcess.h"
#include "platform/mv/Session.h"
#include "server/PasswdCommand.h"
#include "server/PasswordHash.h"
#include "server/UsersFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Login {
    int error = 0;
    Clock::duration took{};
};

Login LogIn(const std::string& host, const std::string& account) {
    const auto start = Clock::now();
    mv::Session session;
    session.SetHostName(host);
    session.SetAccountPath(account);
    session.SetUserName("ann");
    session.SetPassword("real password");
    session.Connect();
    return {session.Error(), Clock::now() - start};
}

int ConnectFrom(const std::string& from, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Four silent connections from each address, each opened again at once when the server
// closes it, until stop.
struct Strangers {
    std::atomic<long> closedByServer{0};
    std::atomic<long> resets{0};

    void Run(std::uint16_t port, int addresses, const std::atomic<bool>& stop) {
        std::vector<pollfd> sockets;
        std::vector<std::string> from;
        for (int a = 0; a < addresses; ++a) {
            for (int i = 0; i < 4; ++i) {
                from.push_back("127.0.4." + std::to_string(a + 1));
                sockets.push_back(pollfd{ConnectFrom(from.back(), port), POLLIN, 0});
            }
        }
        while (!stop) {
            if (::poll(sockets.data(), sockets.size(), 20) <= 0) {
                continue;
            }
            for (std::size_t i = 0; i < sockets.size(); ++i) {
                if (sockets[i].revents == 0) {
                    continue;
                }
                char buffer[256];
                const ssize_t got = ::recv(sockets[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (got > 0) {
                    continue;  // an answer; its close follows
                }
                if (got < 0 && errno == ECONNRESET) {
                    ++resets;
                }
                ++closedByServer;
                ::close(sockets[i].fd);
                sockets[i].fd = ConnectFrom(from[i], port);
            }
        }
        for (const pollfd& socket : sockets) {
            ::close(socket.fd);
        }
    }
};

// Real logins one after another for the time given.
std::vector<Login> LoginsFor(const std::string& host, const std::string& account,
                             Clock::duration time) {
    std::vector<Login> logins;
    const auto end = Clock::now() + time;
    while (Clock::now() < end) {
        logins.push_back(LogIn(host, account));
    }
    return logins;
}

double MedianMillis(std::vector<Login> logins) {
    if (logins.empty()) {
        return 0;
    }
    std::sort(logins.begin(), logins.end(),
              [](const Login& a, const Login& b) { return a.took < b.took; });
    return Millis(logins[logins.size() / 2].took);
}

void LargeRequests(const std::filesystem::path& root, const std::string& account) {
    const bench::ServerProcess server(root, {"--no-auth"}, {});
    const long before = server.ResidentKilobytes();
    std::vector<std::thread> sessions;
    std::atomic<int> failed{0};
    std::atomic<int> written{0};
    std::atomic<bool> release{false};
    for (int i = 0; i < 16; ++i) {
        sessions.emplace_back([&, i] {
            mv::Session session;
            session.SetHostName(server.Host());
            session.SetAccountPath(account);
            session.Connect();
            auto file = session.OpenDictionary("X");
            if (!file) {
                ++failed;
                return;
            }
            file->SetRecordId("BIG" + std::to_string(i));
            file->SetRecord(mv::DynamicArray("D\xFE" + std::string(std::size_t{8} << 20, 'x')));
            file->Write();
            failed += file->Error() != 0 ? 1 : 0;
            ++written;
            while (!release) {
                std::this_thread::sleep_for(10ms);
            }
        });
    }
    while (written + failed < 16) {
        std::this_thread::sleep_for(10ms);
    }
    release = true;
    for (std::thread& session : sessions) {
        session.join();
    }
    std::this_thread::sleep_for(1s);
    std::printf("16 sessions writing 8 MiB each at once (%s)\n",
                server.IsOwnProcess() ? "server in a process of its own" : "inside this process");
    std::printf("  resident memory:     %ld kB before, %ld kB at the peak, %ld kB 1 s after\n",
                before, server.PeakKilobytes(), server.ResidentKilobytes());
    std::printf("  failed writes:       %d\n", failed.load());
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = std::clamp(argc > 1 ? std::atoi(argv[1]) : 20, 2, 600);
    const int addresses = std::clamp(argc > 2 ? std::atoi(argv[2]) : 99, 1, 250);
    const int team = std::clamp(argc > 3 ? std::atoi(argv[3]) : 200, 1, 1000);

    const bench::GeneratedAccount account(10);
    std::string hash;
    if (!account.ok() ||
        !server::HashPassword("real password", server::HashCost::Interactive, hash)) {
        std::fprintf(stderr, "could not build the account or hash the password\n");
        return 1;
    }
    const std::filesystem::path folder(account.path());
    const std::filesystem::path root = folder.parent_path();
    const std::string accountName = folder.filename().string();
    const std::filesystem::path usersFile = root / ("bench-users-" + std::to_string(::getpid()));
    bool added = false;
    std::string why;
    if (!server::SetUserPassword(usersFile.string(), "ann", "real password",
                                 server::HashCost::Interactive, added, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }

    LargeRequests(root, accountName);

    server::UserTable users;
    server::LoadUsersFile(usersFile.string(), users, why);
    server::ServerConfig config;
    config.users = users;
    // Sessions enough for the whole team: it is the waiting room that is measured.
    config.maxSessions = static_cast<std::size_t>(team) + 16;
    const bench::ServerProcess server(
        root, {"--users", usersFile.string(), "--max-sessions", std::to_string(config.maxSessions)},
        config);
    std::filesystem::remove(usersFile);
    if (!server.ok()) {
        std::fprintf(stderr, "no server could be started\n");
        return 1;
    }

    const std::vector<Login> alone = LoginsFor(server.Host(), accountName, 3s);
    std::atomic<bool> stop{false};
    Strangers strangers;
    std::thread strangersThread([&] { strangers.Run(server.Port(), addresses, stop); });
    std::this_thread::sleep_for(500ms);
    const long logBefore = server.LogBytes();
    const std::vector<Login> crowded =
        LoginsFor(server.Host(), accountName, std::chrono::seconds(seconds));
    const long logged = server.LogBytes() - logBefore;
    stop = true;
    strangersThread.join();
    const long inTime = std::count_if(crowded.begin(), crowded.end(), [](const Login& login) {
        return login.error == 0 && login.took < 2s;
    });
    const double share = crowded.empty() ? 0 : 100.0 * inTime / static_cast<double>(crowded.size());
    std::printf("%d addresses x 4 silent connections, reopened when closed, for %d s\n", addresses,
                seconds);
    std::printf("  real user's logins:  %ld of %zu within 2 s (%.1f%%)\n", inTime, crowded.size(),
                share);
    std::printf("  median login:        %.1f ms, alone %.1f ms (%zu logins): ratio %.2f\n",
                MedianMillis(crowded), MedianMillis(alone), alone.size(),
                MedianMillis(alone) > 0 ? MedianMillis(crowded) / MedianMillis(alone) : 0.0);
    std::printf("  strangers closed:    %ld by the server, %ld of them reset\n",
                strangers.closedByServer.load(), strangers.resets.load());
    std::printf("  server log:          %ld bytes meanwhile\n", logged);

    std::this_thread::sleep_for(1s);
    std::vector<std::thread> members;
    std::vector<Login> teamLogins(static_cast<std::size_t>(team));
    const auto start = Clock::now();
    for (int i = 0; i < team; ++i) {
        members.emplace_back([&, i] {
            teamLogins[static_cast<std::size_t>(i)] = LogIn(server.Host(), accountName);
        });
    }
    for (std::thread& member : members) {
        member.join();
    }
    const double teamTime = Millis(Clock::now() - start);
    const long teamIn = std::count_if(teamLogins.begin(), teamLogins.end(),
                                      [](const Login& login) { return login.error == 0; });
    int firstError = 0;
    for (const Login& login : teamLogins) {
        firstError = firstError != 0 ? firstError : login.error;
    }
    std::printf("%d logins from one address at once\n", team);
    std::printf("  logged in:           %ld of %d in %.0f ms%s%s\n", teamIn, team, teamTime,
                firstError != 0 ? ", first error " : "",
                firstError != 0 ? std::to_string(firstError).c_str() : "");
    return share >= 95.0 && teamIn == team ? 0 : 1;
}

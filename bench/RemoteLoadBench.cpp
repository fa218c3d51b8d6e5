// SPDX-License-Identifier: MIT
// Many sessions against one kelvora-server on loopback: each logs in, opens the
// dictionary, and writes, reads, deletes and reopens items of its own as fast as it can
// for a bounded time. Prints the requests served a second, the 99th percentile of a
// request's time, the server's peak memory, and checks afterwards that every item holds
// exactly what its session last wrote (or is gone if it last deleted it), so that no
// write was lost or torn.
//
// The server is the kelvora-server program beside this one, started as a process of its
// own so that its peak memory (VmHWM) is its alone; when it cannot be started, a server
// runs inside this process and the peak memory printed is this process's, clients
// included.
// Usage: bench_remote_load [seconds] [sessions]   (default 60 s, 200 sessions; at most
// 600 s and 1000 sessions)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "bench/support/ServerProcess.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItemsPerSession = 16;
constexpr int kMaxSeconds = 600;
constexpr int kMaxSessions = 1000;

std::unique_ptr<mv::Session> LogIn(const std::string& host, const std::string& account) {
    auto session = std::make_unique<mv::Session>();
    session->SetHostName(host);
    session->SetAccountPath(account);
    session->SetUserName("load");
    session->SetPassword("load");
    session->Connect();
    return session;
}

struct Worker {
    bool loggedIn = false;
    std::vector<std::uint32_t> micros;                       // each request's time
    std::map<std::string, std::optional<std::string>> last;  // what each item must hold
    long long failures = 0;
    std::string firstFailure;

    void Failed(const std::string& what) {
        if (failures++ == 0) {
            firstFailure = what;
        }
    }
};

void RunSession(int index, const std::string& host, const std::string& account,
                Clock::time_point end, Worker& worker) {
    std::mt19937 random(static_cast<unsigned>(index) * 7919u + 1u);
    auto timed = [&](auto&& call) {
        const auto start = Clock::now();
        call();
        worker.micros.push_back(static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
    };
    std::unique_ptr<mv::Session> session;
    timed([&] { session = LogIn(host, account); });
    if (session->Error() != 0) {
        worker.Failed("login: " + std::to_string(session->Error()));
        return;
    }
    worker.loggedIn = true;
    std::shared_ptr<mv::DictionaryFile> file;
    timed([&] { file = session->OpenDictionary("X"); });
    long long sequence = 0;
    while (file && Clock::now() < end) {
        const std::string id =
            "S" + std::to_string(index) + "." + std::to_string(random() % kItemsPerSession);
        const unsigned choice = random() % 10;
        file->SetRecordId(id);
        if (choice < 5) {
            // Several field marks and a body of varying length: a torn write shows.
            const std::string seq = std::to_string(++sequence);
            const std::string text =
                "D\xFE" + id + "\xFE" + seq + "\xFE" +
                std::string(random() % 4000, static_cast<char>('a' + index % 26)) + "\xFE" + seq;
            file->SetRecord(mv::DynamicArray(text));
            timed([&] { file->Write(); });
            if (file->Error() != 0) {
                worker.Failed("write of " + id + ": " + std::to_string(file->Error()));
            } else {
                worker.last[id] = text;
            }
        } else if (choice < 8) {
            timed([&] { file->Read(); });
            const auto known = worker.last.find(id);
            const bool present = known != worker.last.end() && known->second.has_value();
            if (present ? file->Error() != 0 || file->Record().Text() != *known->second
                        : file->Error() != mv::kRecordNotFound) {
                worker.Failed("read of " + id + " gave other than the last write");
            }
        } else if (choice < 9) {
            timed([&] { file->DeleteRecord(); });
            const auto known = worker.last.find(id);
            const bool present = known != worker.last.end() && known->second.has_value();
            if (file->Error() != (present ? mv::kOk : mv::kRecordNotFound)) {
                worker.Failed("delete of " + id + ": " + std::to_string(file->Error()));
            }
            worker.last[id] = std::nullopt;
        } else {
            file->CloseFile();
            timed([&] { file = session->OpenDictionary("X"); });
            if (!file) {
                worker.Failed("open: " + std::to_string(session->Error()));
            }
        }
    }
}

// Reads every item a session touched through a fresh session: each must hold what was
// last written, or be gone after a delete. Returns the items that do not.
long long CheckFinalState(const std::string& host, const std::string& account,
                          const std::vector<Worker>& workers) {
    auto session = LogIn(host, account);
    auto file = session->OpenDictionary("X");
    if (!file) {
        std::fprintf(stderr, "the check cannot open the dictionary: %d\n", session->Error());
        return -1;
    }
    long long wrong = 0;
    for (const Worker& worker : workers) {
        for (const auto& [id, text] : worker.last) {
            file->SetRecordId(id);
            file->Read();
            const bool right = text ? file->Error() == 0 && file->Record().Text() == *text
                                    : file->Error() == mv::kRecordNotFound;
            wrong += right ? 0 : 1;
        }
    }
    return wrong;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = std::clamp(argc > 1 ? std::atoi(argv[1]) : 60, 1, kMaxSeconds);
    const int sessions = std::clamp(argc > 2 ? std::atoi(argv[2]) : 200, 1, kMaxSessions);

    const bench::GeneratedAccount account(10);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const std::filesystem::path folder(account.path());
    const std::string accountName = folder.filename().string();
    server::ServerConfig config;
    config.maxSessions = static_cast<std::size_t>(sessions) + 16;
    const bench::ServerProcess server(
        folder.parent_path(), {"--no-auth", "--max-sessions", std::to_string(config.maxSessions)},
        config);
    if (!server.ok()) {
        std::fprintf(stderr, "no server could be started\n");
        return 1;
    }

    std::vector<Worker> workers(static_cast<std::size_t>(sessions));
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    for (int i = 0; i < sessions; ++i) {
        threads.emplace_back(RunSession, i, server.Host(), accountName, end,
                             std::ref(workers[static_cast<std::size_t>(i)]));
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<std::uint32_t> micros;
    long long failures = 0;
    std::string firstFailure;
    long long items = 0;
    int loggedIn = 0;
    for (const Worker& worker : workers) {
        loggedIn += worker.loggedIn ? 1 : 0;
        micros.insert(micros.end(), worker.micros.begin(), worker.micros.end());
        failures += worker.failures;
        if (firstFailure.empty()) {
            firstFailure = worker.firstFailure;
        }
        items += static_cast<long long>(worker.last.size());
    }
    std::sort(micros.begin(), micros.end());
    const auto percentile = [&](double p) {
        return micros.empty() ? 0.0
                              : micros[std::min(micros.size() - 1,
                                                static_cast<std::size_t>(p * micros.size()))] /
                                    1000.0;
    };
    const long long wrong = CheckFinalState(server.Host(), accountName, workers);

    std::printf("%d sessions for %d s against one kelvora-server on loopback (%s)\n", sessions,
                seconds, server.IsOwnProcess() ? "a process of its own" : "inside this process");
    std::printf("  sessions run:        %d of %d\n", loggedIn, sessions);
    std::printf("  requests:            %zu in %.1f s, %.0f a second\n", micros.size(), elapsed,
                static_cast<double>(micros.size()) / elapsed);
    std::printf("  request time:        median %.2f ms, 99th percentile %.2f ms, longest %.2f ms\n",
                percentile(0.5), percentile(0.99), percentile(1.0));
    std::printf("  peak memory (VmHWM): %ld kB, %s\n", server.PeakKilobytes(),
                server.IsOwnProcess() ? "of the server process" : "of this process, clients too");
    std::printf("  failed requests:     %lld%s%s\n", failures, failures ? ", first: " : "",
                firstFailure.c_str());
    std::printf("  items checked:       %lld, lost or torn writes: %lld\n", items, wrong);
    return failures == 0 && wrong == 0 && loggedIn == sessions ? 0 : 1;
}

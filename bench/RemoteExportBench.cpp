// SPDX-License-Identifier: MIT
// `kelvora-cmd export` of a dictionary of 5,000 items through kelvora-server with 20 ms
// added to every round trip (a relay in front of the server that delays every byte),
// against its floor from the same run: seven round trips at 20 ms plus the same export
// from the account folder, with no server in between. Also the export through the server
// on loopback, and how many round trips of waiting the delayed one took.
// Usage: bench_remote_export [items]   (default 5000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/DelayRelay.h"
#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"
#include "server/Listener.h"
#include "server/ServerLog.h"

namespace {

constexpr int kRepeats = 5;
constexpr int kDelayEachWayMs = 10;
constexpr int kFloorRoundTrips = 7;

double Export(const std::vector<std::string>& place, std::size_t& bytes) {
    return bench::BestSeconds(
        kRepeats,
        [&] {
            std::ostringstream out, err;
            const cli::Environment env{out, err, nullptr, false, false, std::string("any"),
                                       {},  {},  false,   {}};
            std::vector<std::string> words = place;
            words.insert(words.end(), {"export", "X", "-"});
            const int status = cli::RunCli(words, env);
            if (status != 0) {
                std::fprintf(stderr, "export failed (%d): %s\n", status, err.str().c_str());
                std::abort();
            }
            return out.str().size();
        },
        bytes);
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 5000;
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const std::filesystem::path folder(account.path());
    server::ServerConfig config;
    config.root = std::filesystem::canonical(folder.parent_path());
    std::string why;
    server::ParseListenAddress("127.0.0.1:0", 0, config.listen, why);
    const auto listener = server::Listener::Start(
        std::move(config), std::make_shared<server::ServerLog>([](const std::string&) {}), why);
    if (!listener) {
        std::fprintf(stderr, "the server cannot listen: %s\n", why.c_str());
        return 1;
    }
    const std::string accountName = folder.filename().string();
    std::size_t localBytes = 0, loopbackBytes = 0, delayedBytes = 0;
    const double local = Export({"-a", account.path()}, localBytes);
    const double loopback = Export(
        {"-H", "127.0.0.1:" + std::to_string(listener->Port()), "-u", "bench", "-a", accountName},
        loopbackBytes);
    double delayed = 0;
    {
        const bench::DelayRelay relay(listener->Port(), std::chrono::milliseconds(kDelayEachWayMs));
        delayed = Export({"-H", relay.Host(), "-u", "bench", "-a", accountName}, delayedBytes);
    }
    if (localBytes != loopbackBytes || localBytes != delayedBytes) {
        std::fprintf(stderr, "the exports differ\n");
        return 1;
    }
    const double trip = 2 * kDelayEachWayMs / 1000.0;
    const double floor = kFloorRoundTrips * trip + local;
    std::printf("export of %d items (%zu bytes), best of %d\n", items, localBytes, kRepeats);
    std::printf("  from the account folder:            %7.1f ms\n", local * 1e3);
    std::printf("  through kelvora-server on loopback: %7.1f ms\n", loopback * 1e3);
    std::printf("  Kelvora at %d ms a round trip:      %7.1f ms (%.1f round trips of waiting)\n",
                2 * kDelayEachWayMs, delayed * 1e3, (delayed - loopback) / trip);
    std::printf("  floor, %d round trips + the folder's export: %7.1f ms\n", kFloorRoundTrips,
                floor * 1e3);
    std::printf("  ratio: %.2f\n", delayed / floor);
    return 0;
}

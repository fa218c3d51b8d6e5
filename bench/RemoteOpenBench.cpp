// SPDX-License-Identifier: MIT
// Opening a dictionary through kelvora-server (a sorting select, then every item read
// through the client objects) against the same open on the local engine, in the same
// run, with the round trips each open took: on loopback, and with 20 ms added to every
// round trip, reading ahead (the default window) and one item at a time.
//
// The delay is made by the kernel (netem on the loopback of a network namespace of this
// process's own), which needs root, iproute2 and the netem module. Without them the
// benchmark says so and, unless --netem-only is given, delays the bytes itself in a
// relay in front of the server instead, which adds the same latency but runs in user
// space.
// Usage: bench_remote_open [items] [--netem-only]   (default 5000 items)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/support/DelayRelay.h"
#include "bench/support/DelayedLoopback.h"
#include "bench/support/GeneratedAccount.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/Session.h"
#include "server/Listener.h"
#include "server/ServerLog.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRepeats = 5;
constexpr int kDelayEachWayMs = 10;
// One item at a time over the slow link would take minutes: it is timed on this many
// items and scaled to the whole dictionary.
constexpr std::size_t kOneByOneSample = 100;

struct Opened {
    std::size_t bytes = 0;
    std::size_t items = 0;
    long long roundTrips = 0;
    long long requests = 0;
};

Opened OpenThrough(const std::string& host, const std::string& account, int window,
                   std::size_t maxItems = SIZE_MAX) {
    mv::Session session;
    session.SetHostName(host);
    session.SetAccountPath(account);
    session.SetUserName("bench");
    session.SetReadAhead(window);
    session.Connect();
    auto file = session.OpenDictionary("X");
    if (!file) {
        std::fprintf(stderr, "open failed: %d\n", session.Error());
        std::abort();
    }
    session.Command().SetText("SSELECT DICT X BY F1 BY RLOCATION");
    session.Command().Exec();
    Opened opened;
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead() && opened.items < maxItems;
         id = list.Next()) {
        file->SetRecordId(id);
        file->Read();
        if (file->Error() != 0) {
            std::fprintf(stderr, "read of %s failed: %d\n", id.c_str(), file->Error());
            std::abort();
        }
        opened.bytes += file->Record().Text().size();
        ++opened.items;
    }
    if (const auto remote = std::dynamic_pointer_cast<mv::RemoteBackend>(session.ActiveBackend())) {
        opened.roundTrips = remote->RoundTrips();
        opened.requests = remote->RequestsSent();
    }
    return opened;
}

struct Figures {
    double seconds = 0;
    Opened opened;
};

Figures Measure(int repeats, const std::function<Opened()>& open) {
    Figures figures;
    std::size_t ignored = 0;
    figures.seconds = bench::BestSeconds(
        repeats, [&] { return (figures.opened = open()).bytes; }, ignored);
    return figures;
}

void PrintRemote(const char* what, const Figures& figures, double localSeconds) {
    std::printf("  %-34s %9.1f ms  %6lld round trips  %6lld requests  ratio to local %7.1f\n", what,
                figures.seconds * 1e3, figures.opened.roundTrips, figures.opened.requests,
                figures.seconds / localSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    int items = 5000;
    bool netemOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--netem-only") == 0) {
            netemOnly = true;
        } else {
            items = std::atoi(argv[i]);
        }
    }
    // Before any thread starts: the namespace is the calling thread's.
    std::string namespaceWhy;
    const bool ownNamespace = bench::EnterOwnNetworkNamespace(namespaceWhy);

    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const std::filesystem::path folder(account.path());
    const std::string accountName = folder.filename().string();
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
    const std::string host = "127.0.0.1:" + std::to_string(listener->Port());
    const int window = mv::RemoteLogin::kDefaultReadAhead;

    const Figures local = Measure(kRepeats, [&] { return OpenThrough("", account.path(), 1); });
    const Figures ahead = Measure(kRepeats, [&] { return OpenThrough(host, accountName, window); });
    const Figures single = Measure(kRepeats, [&] { return OpenThrough(host, accountName, 1); });
    if (local.opened.bytes != ahead.opened.bytes || local.opened.bytes != single.opened.bytes) {
        std::fprintf(stderr, "the opens read different bytes\n");
        return 1;
    }
    std::printf("Open of %d items (select, then every item read), best of %d runs\n", items,
                kRepeats);
    std::printf("  %-34s %9.1f ms\n", "local engine", local.seconds * 1e3);
    std::printf("kelvora-server on loopback, no added delay:\n");
    const std::string aheadName = "read-ahead window " + std::to_string(window);
    PrintRemote(aheadName.c_str(), ahead, local.seconds);
    PrintRemote("one item at a time (window 1)", single, local.seconds);

    // The slow link: the kernel's delay when it can be had, else the relay's.
    std::string delayHost = host;
    std::unique_ptr<bench::DelayRelay> relay;
    std::string delayWhy;
    const bool netem = ownNamespace && bench::SetLoopbackDelay(kDelayEachWayMs, delayWhy);
    if (!netem) {
        const std::string reason = ownNamespace ? delayWhy : namespaceWhy;
        std::printf("netem: not available (%s)\n", reason.c_str());
        if (netemOnly) {
            std::printf("skipped: the delayed run needs root, iproute2 and netem\n");
            return 0;
        }
        relay = std::make_unique<bench::DelayRelay>(listener->Port(),
                                                    std::chrono::milliseconds(kDelayEachWayMs));
        delayHost = relay->Host();
    }
    std::printf("kelvora-server with %d ms added to every round trip (%s):\n", 2 * kDelayEachWayMs,
                netem ? "netem on loopback" : "user-space delaying relay");
    const Figures slowAhead =
        Measure(3, [&] { return OpenThrough(delayHost, accountName, window); });
    const Figures slowSample =
        Measure(1, [&] { return OpenThrough(delayHost, accountName, 1, kOneByOneSample); });
    if (slowAhead.opened.bytes != local.opened.bytes) {
        std::fprintf(stderr, "the delayed open read different bytes\n");
        return 1;
    }
    PrintRemote(aheadName.c_str(), slowAhead, local.seconds);
    // Scaled from the sample: every round trip of it cost the same, and the whole open
    // has one more for each further item.
    const long long sampleTrips = slowSample.opened.roundTrips;
    Figures slowSingle;
    slowSingle.opened.roundTrips =
        sampleTrips - static_cast<long long>(slowSample.opened.items) + items;
    slowSingle.opened.requests = slowSingle.opened.roundTrips;
    slowSingle.seconds = slowSample.seconds / static_cast<double>(sampleTrips) *
                         static_cast<double>(slowSingle.opened.roundTrips);
    const std::string sampleName =
        "one at a time (from " + std::to_string(kOneByOneSample) + " items)";
    PrintRemote(sampleName.c_str(), slowSingle, local.seconds);
    std::printf("  goal: under 1000 ms with read-ahead: %s\n",
                slowAhead.seconds < 1.0 ? "met" : "NOT met");
    relay.reset();
    if (netem) {
        bench::SetLoopbackDelay(0, delayWhy);
    }
    return 0;
}

// SPDX-License-Identifier: MIT
// Opening a dictionary through kelvora-server on loopback (a sorting select, then every
// item read through the client objects) against the same open on the local engine, in
// the same run, with the number of round trips the remote open took.
// Usage: bench_remote_open [items]   (default 5000)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/support/GeneratedAccount.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/Session.h"
#include "server/Listener.h"
#include "server/ServerLog.h"

namespace {

constexpr int kRepeats = 5;

struct Opened {
    std::size_t bytes = 0;
    long long roundTrips = 0;
};

Opened OpenThrough(const std::string& host, const std::string& account) {
    mv::Session session;
    session.SetHostName(host);
    session.SetAccountPath(account);
    session.SetUserName("bench");
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
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file->SetRecordId(id);
        file->Read();
        if (file->Error() != 0) {
            std::abort();
        }
        opened.bytes += file->Record().Text().size();
    }
    if (const auto remote = std::dynamic_pointer_cast<mv::RemoteBackend>(session.ActiveBackend())) {
        opened.roundTrips = remote->RoundTrips();
    }
    return opened;
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
    const std::string host = "127.0.0.1:" + std::to_string(listener->Port());

    Opened local, remote;
    std::size_t ignored = 0;
    const double localSeconds = bench::BestSeconds(
        kRepeats, [&] { return (local = OpenThrough("", account.path())).bytes; }, ignored);
    const double remoteSeconds = bench::BestSeconds(
        kRepeats, [&] { return (remote = OpenThrough(host, folder.filename().string())).bytes; },
        ignored);
    if (local.bytes != remote.bytes) {
        std::fprintf(stderr, "the two opens read different bytes\n");
        return 1;
    }
    std::printf("Open of %d items, best of %d runs\n", items, kRepeats);
    std::printf("  local engine:             %8.1f ms\n", localSeconds * 1e3);
    std::printf("  kelvora-server, loopback: %8.1f ms  (%lld round trips)\n", remoteSeconds * 1e3,
                remote.roundTrips);
    std::printf("  ratio remote / local:     %8.2f\n", remoteSeconds / localSeconds);
    return 0;
}

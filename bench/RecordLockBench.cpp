// SPDX-License-Identifier: MIT
// What a change costs with its record lock: the check read that takes the item's lock
// (READ with the exclusive flag) and the write that releases it, against the plain read
// and write of the same items, on the local engine and through kelvora-server on
// loopback. Both sequences send the same number of requests; the figure is what the
// lock adds to each change.
// Usage: bench_record_lock [items]   (default 2,000; at most 50,000)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"
#include "server/Listener.h"
#include "server/ServerLog.h"

namespace {

// Reads each item (locking it when asked) and writes it back unchanged: a save of each.
std::size_t SaveEach(mv::DictionaryFile& file, const std::vector<std::string>& ids, bool lock) {
    std::size_t saved = 0;
    for (const std::string& id : ids) {
        file.SetRecordId(id);
        lock ? file.ReadForUpdate() : file.Read();
        if (file.Error() != 0) {
            continue;
        }
        file.Write();
        saved += file.Error() == 0 ? 1 : 0;
    }
    return saved;
}

void Measure(const char* where, mv::Session& session, int items) {
    session.Connect();
    session.Command().SetText("SSELECT DICT X");
    session.Command().Exec();
    std::vector<std::string> ids;
    for (std::string id = session.SelectList(0).Next(); !session.SelectList(0).LastRecordRead();
         id = session.SelectList(0).Next()) {
        ids.push_back(id);
    }
    const std::shared_ptr<mv::DictionaryFile> file = session.OpenDictionary("X");
    if (!file || static_cast<int>(ids.size()) != items) {
        std::printf("%s: the dictionary could not be opened\n", where);
        return;
    }
    std::size_t saved = 0;
    const double plain = bench::BestSeconds(
        3, [&] { return SaveEach(*file, ids, false); }, saved);
    const double locked = bench::BestSeconds(
        3, [&] { return SaveEach(*file, ids, true); }, saved);
    std::printf("%-22s %6zu saves: plain %8.1f us, locked %8.1f us a save; ratio %.2f\n", where,
                saved, plain * 1e6 / items, locked * 1e6 / items, locked / plain);
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 50000) : 2000;
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::printf("no temporary account\n");
        return 1;
    }
    mv::Session local;
    local.SetAccountPath(account.path());
    Measure("local engine", local, items);

    server::ServerConfig config;
    config.root = std::filesystem::canonical(std::filesystem::path(account.path()).parent_path());
    std::string why;
    server::ParseListenAddress("127.0.0.1:0", 0, config.listen, why);
    auto log = std::make_shared<server::ServerLog>([](const std::string&) {});
    const auto listener = server::Listener::Start(std::move(config), std::move(log), why);
    if (!listener) {
        std::printf("no server: %s\n", why.c_str());
        return 1;
    }
    mv::Session remote;
    remote.SetHostName("127.0.0.1:" + std::to_string(listener->Port()));
    remote.SetAccountPath(std::filesystem::path(account.path()).filename().string());
    Measure("kelvora-server", remote, items);
    return 0;
}

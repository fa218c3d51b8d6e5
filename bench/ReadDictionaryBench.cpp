// SPDX-License-Identifier: MIT
// Opening a dictionary as the program does (a sorting select, then every item read
// through the client objects and its fields taken) against reading the same item files
// raw, in the same run. Usage: bench_read_dictionary [items] [client]
// (default 100000 items; "client" times the client path alone, for a profiler).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/support/GeneratedAccount.h"
#include "platform/mv/Session.h"

namespace {

constexpr int kRepeats = 5;

// What the program does to open a dictionary. Returns the bytes seen, so nothing is
// optimised away.
std::size_t ReadThroughClient(const std::string& account) {
    mv::Session session;
    session.SetAccountPath(account);
    session.Connect();
    auto file = session.OpenDictionary("X");
    session.Command().SetText("SSELECT DICT X BY F1 BY RLOCATION");
    session.Command().Exec();
    std::size_t bytes = 0;
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file->SetRecordId(id);
        file->Read();
        if (file->Error() != 0) {
            std::abort();
        }
        for (std::int16_t n = 1; n <= 10; ++n) {
            bytes += file->Record().Field(n).StringValue().size();
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::printf("Writing %d items...\n", items);
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }

    std::size_t rawBytes = 0, clientBytes = 0;
    if (argc > 2 && std::string(argv[2]) == "client") {
        const double client = bench::BestSeconds(
            kRepeats, [&] { return ReadThroughClient(account.path()); }, clientBytes);
        std::printf("  client path: %.1f ms\n", client * 1e3);
        return 0;
    }
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache for both
    const double raw = bench::BestSeconds(
        kRepeats, [&] { return bench::ReadItemFilesRaw(account.dictionaryPath()); }, rawBytes);
    const double client = bench::BestSeconds(
        kRepeats, [&] { return ReadThroughClient(account.path()); }, clientBytes);
    std::printf("Best of %d, %d items:\n", kRepeats, items);
    std::printf("  raw read of the item files:               %8.1f ms (%zu bytes)\n", raw * 1e3,
                rawBytes);
    std::printf("  SSELECT BY F1 BY RLOCATION + Read + Field: %8.1f ms (%zu field bytes)\n",
                client * 1e3, clientBytes);
    std::printf("  ratio client / raw: %.2f\n", client / raw);
    return 0;
}

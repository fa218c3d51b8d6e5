// SPDX-License-Identifier: MIT
// kelvora-cmd dump and load of a generated dictionary, in-process, against copying the
// same item files with cp -r and flushing them with sync -f, in the same run; and a
// second dump with nothing changed against reading the account's and the dump's item
// files raw. Medians of runs taken in turn.
// Usage: bench_dump_load [items] [rounds] (defaults 100000 and 3).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"

namespace {

namespace fs = std::filesystem;

// Runs kelvora-cmd in-process; aborts unless it exits with 0.
void RunCli(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    const cli::Environment env{out, err, nullptr, false, false, std::nullopt, {}, {}, false, {}};
    if (cli::RunCli(words, env) != 0) {
        std::fprintf(stderr, "kelvora-cmd failed: %s\n", err.str().c_str());
        std::abort();
    }
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::abort();
    }
}

void Report(const char* what, const char* floorName, double kelvora, double floor) {
    std::printf("  %-44s %9.1f ms\n  %-44s %9.1f ms\n  ratio: %.2f\n", what, kelvora * 1e3,
                floorName, floor * 1e3, kelvora / floor);
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    std::printf("Writing %d items...\n", items);
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const fs::path root(account.path());
    const fs::path dump = root / "dump";
    const fs::path copy = root / "copy";
    const fs::path target = root / "target";
    // The journal of a load goes here, not into the user's own data folder.
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    const auto clear = [](const fs::path& folder) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    };
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache

    const std::vector<double> first = bench::AlternatedMedians(
        rounds, {[&] {
                     clear(copy);
                     Shell("cp -r '" + account.dictionaryPath() + "' '" + copy.string() +
                           "' && sync -f '" + copy.string() + "'");
                 },
                 [&] {
                     clear(dump);
                     RunCli({"dump", account.path(), "X", dump.string()});
                 }});
    const std::vector<double> again =
        bench::AlternatedMedians(rounds, {[&] {
                                              bench::ReadItemFilesRaw(account.dictionaryPath());
                                              bench::ReadItemFilesRaw(dump.string());
                                          },
                                          [&] {
                                              RunCli({"dump", account.path(), "X", dump.string()});
                                          }});
    const std::vector<double> load = bench::AlternatedMedians(
        rounds, {[&] {
                     clear(copy);
                     Shell("cp -r '" + dump.string() + "' '" + copy.string() + "' && sync -f '" +
                           copy.string() + "'");
                 },
                 [&] {
                     clear(target);
                     fs::create_directories(target / "D_X");
                     RunCli({"load", dump.string(), target.string(), "X"});
                 }});

    std::printf("Medians of %d runs taken in turn, %d items:\n", rounds, items);
    Report("dump into an empty folder", "cp -r + sync -f", first[1], first[0]);
    Report("dump again, nothing changed", "raw read of both", again[1], again[0]);
    Report("load into an empty account", "cp -r + sync -f", load[1], load[0]);
    return 0;
}

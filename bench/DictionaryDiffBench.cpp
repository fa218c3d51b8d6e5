// SPDX-License-Identifier: MIT
// kelvora-cmd diff of two local dictionaries against reading both raw, in the same run:
// two generated dictionaries of the same items, one in a hundred changed in the second.
// Usage: bench_diff [items] (default 100000).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"

namespace {

constexpr int kRepeats = 3;

std::size_t RunDiff(const std::string& a, const std::string& b) {
    std::ostringstream out, err;
    const cli::Environment env{out, err, nullptr, false, false, std::nullopt, {}, {}, false, {}};
    if (cli::RunCli({"diff", a, b, "X"}, env) != 1) {
        std::fprintf(stderr, "kelvora-cmd diff did not find the changes: %s\n", err.str().c_str());
        std::abort();
    }
    return out.str().size();
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::printf("Writing two dictionaries of %d items...\n", items);
    const bench::GeneratedAccount a(items);
    const bench::GeneratedAccount b(items);
    if (!a.ok() || !b.ok()) {
        std::fprintf(stderr, "could not build the accounts\n");
        return 1;
    }
    int changed = 0;
    for (int i = 0; i < items; i += 100, ++changed) {
        std::ofstream(b.dictionaryPath() + "/CHANGED." + std::to_string(i), std::ios::binary)
            << "D\n"
            << (i % 50 + 1) << "\n\nChanged " << i << "\n10L\nS";
    }
    std::size_t rawBytes = 0, shown = 0;
    const auto readBoth = [&] {
        return bench::ReadItemFilesRaw(a.dictionaryPath()) +
               bench::ReadItemFilesRaw(b.dictionaryPath());
    };
    readBoth();  // warms the cache for both runs
    const double raw = bench::BestSeconds(kRepeats, readBoth, rawBytes);
    const double diff = bench::BestSeconds(
        kRepeats, [&] { return RunDiff(a.path(), b.path()); }, shown);
    std::printf("Best of %d, %d items each, %d only in the second:\n", kRepeats, items, changed);
    std::printf("  raw read of both dictionaries:   %8.1f ms (%zu bytes)\n", raw * 1e3, rawBytes);
    std::printf("  kelvora-cmd diff A B X:          %8.1f ms (%zu bytes of output)\n", diff * 1e3,
                shown);
    std::printf("  ratio diff / raw read: %.2f\n", diff / raw);
    return 0;
}

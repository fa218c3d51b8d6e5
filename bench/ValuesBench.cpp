// SPDX-License-Identifier: MIT
// `kelvora-cmd list --tsv` in-process over a generated file of records and five fields
// (two D items with conversions, three I items: arithmetic, a TRANS and a multi-statement
// expression), against reading the same record files raw, in the same run. The two are
// run in turn, several times, and each is given by its median, so a moment when the
// machine is busy weighs on both alike.
// Usage: bench_values [records] (default 10000).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "bench/support/ValuesAccount.h"
#include "cli/Cli.h"

namespace {

constexpr int kRounds = 7;

double Seconds(const std::function<std::size_t()>& run, std::size_t& result) {
    const auto start = std::chrono::steady_clock::now();
    result = run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const bench::ValuesAccount account(records);
    const std::string accountPath = account.path();
    const auto readRaw = [&] { return bench::ReadItemFilesRaw(accountPath + "/ORDERS"); };
    const auto listTsv = [&] {
        std::ostringstream out, err;
        const cli::Environment env{out,          err, nullptr, false, false,
                                   std::nullopt, {},  {},      false, {}};
        const int status = cli::RunCli({"list", accountPath, "ORDERS", "ORDER.DATE", "PRICE",
                                        "TOTAL", "CUSTOMER.NAME", "DISCOUNT", "--tsv"},
                                       env);
        if (status != 0) {
            std::fprintf(stderr, "list failed (%d): %s\n", status, err.str().c_str());
            std::abort();
        }
        return out.str().size();
    };
    std::size_t rawBytes = 0;
    std::size_t listed = 0;
    std::vector<double> raws;
    std::vector<double> lists;
    Seconds(readRaw, rawBytes);  // the files into the page cache, as both runs then find them
    for (int round = 0; round < kRounds; ++round) {
        raws.push_back(Seconds(readRaw, rawBytes));
        lists.push_back(Seconds(listTsv, listed));
    }
    const double raw = Median(raws);
    const double list = Median(lists);
    std::printf("list --tsv of %d records x 5 fields: %.3f s (%zu bytes out)\n", records, list,
                listed);
    std::printf("baseline, the same record files read raw: %.3f s (%zu bytes)\n", raw, rawBytes);
    std::printf("ratio: %.2f\n", list / raw);
    return 0;
}

// SPDX-License-Identifier: MIT
// Who uses which item, as the detail pane and the delete and copy questions ask it: worked
// out from the records as read once after each open, save, delete or copy, then looked up
// for a row at each move. Timed against reading the same item files raw, in the same run,
// for a generated dictionary (5,000 items by default).
// Usage: bench_dependencies [items]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "dictionary/Dependencies.h"
#include "dictionary/ViewSet.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRepeats = 5;

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    std::size_t result = 0;
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache
    const double raw = bench::BestSeconds(
        kRepeats, [&] { return bench::ReadItemFilesRaw(account.dictionaryPath()); }, result);

    dictionary::ViewSet views;
    std::vector<std::string> ids;
    for (const auto& entry : fs::directory_iterator(account.dictionaryPath())) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string record{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::replace(record.begin(), record.end(), '\n', '\xFE');
        ids.push_back(entry.path().filename().string());
        views.Records().Remember(ids.back(), std::move(record));
    }
    // After a save: the records changed, so the first question works everything out.
    const double rebuild = bench::BestSeconds(
        kRepeats,
        [&] {
            views.Records().Remember("ONE.MORE", std::string("D\xFE"
                                                             "1"));
            return views.CurrentDependencies().UsedBy(ids.front()).size();
        },
        result);
    // A row move: the users and uses of one item, in words, for every item in turn.
    const double lookups = bench::BestSeconds(
        kRepeats,
        [&] {
            std::size_t length = 0;
            for (const std::string& id : ids) {
                const dictionary::Dependencies& now = views.CurrentDependencies();
                length += static_cast<std::size_t>(dictionary::UsersInWords(now.UsedBy(id)).size() +
                                                   dictionary::NamesInWords(now.Uses(id)).size());
            }
            return length;
        },
        result);
    std::printf("Best of %d runs, %zu items.\n", kRepeats, ids.size());
    std::printf("raw read of the item files       %10.2f ms\n", raw * 1e3);
    std::printf("worked out after a change        %10.2f ms (%.2f of the raw read)\n",
                rebuild * 1e3, rebuild / raw);
    std::printf("one row's users and uses         %10.2f us (every item: %.2f ms)\n",
                lookups / static_cast<double>(ids.size()) * 1e6, lookups * 1e3);
    return 0;
}

// SPDX-License-Identifier: MIT
// Exporting a dictionary as the program does (the sorting select, every item read through
// the client objects, the listing written to a file that replaces the target when done)
// against reading the same item files raw and writing the same bytes, in the same run.
// Usage: bench_export [items] (default 100000).
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "core/ListingExport.h"
#include "core/ListingFile.h"
#include "platform/mv/Session.h"

namespace {

constexpr int kRepeats = 5;

// What the export button does, without the dialogs. Returns the bytes of the file.
std::size_t ExportThroughClient(const std::string& account, const std::string& target) {
    mv::Session session;
    // The window's session removed the debris of interrupted writes when it opened the
    // dictionary, before any export.
    session.SetSweepTemporaryFiles(false);
    session.SetAccountPath(account);
    session.Connect();
    auto file = session.OpenDictionary("X");
    if (exporting::SelectItems(session, core::DatabaseKind::UniVerse, "X") != 0) {
        std::abort();
    }
    exporting::ListingFile output(target);
    if (!output.Open()) {
        std::abort();
    }
    const auto counts = exporting::WriteListing(session.SelectList(0), *file, output);
    if (counts.sinkFailed || !output.Commit()) {
        std::abort();
    }
    return static_cast<std::size_t>(
        std::ifstream(target, std::ios::binary | std::ios::ate).tellg());
}

std::vector<std::string> SortedLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
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
    const std::string rawTarget = account.path() + "/raw.txt";
    const std::string exportTarget = account.path() + "/export.txt";

    std::size_t rawBytes = 0, exportBytes = 0;
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache for both
    const std::vector<double> medians = bench::AlternatedMedians(
        kRepeats, {[&] { rawBytes = bench::WriteListingRaw(account.dictionaryPath(), rawTarget); },
                   [&] { exportBytes = ExportThroughClient(account.path(), exportTarget); }});
    const double raw = medians[0];
    const double exported = medians[1];

    // The same lines, in another order: the export sorts, the floor takes directory order.
    const bool same = SortedLines(rawTarget) == SortedLines(exportTarget);
    std::printf("Medians of %d runs taken in turn, %d items:\n", kRepeats, items);
    std::printf("  raw read + write of the same bytes:      %8.1f ms (%zu bytes)\n", raw * 1e3,
                rawBytes);
    std::printf("  SSELECT + Read + listing file replaced:  %8.1f ms (%zu bytes)%s\n",
                exported * 1e3, exportBytes, same ? "" : "  LINES DIFFER");
    std::printf("  ratio export / raw: %.2f\n", exported / raw);
    return same ? 0 : 1;
}

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

#include "GeneratedAccount.h"
#include "ListingExport.h"
#include "ListingFile.h"
#include "Session.h"

namespace {

constexpr int kRepeats = 5;
constexpr int kListedFields = 10;

// What the export button does, without the dialogs. Returns the bytes of the file.
std::size_t ExportThroughClient(const std::string& account, const std::string& target) {
    mv::Session session;
    session.SetAccountPath(account);
    session.Connect();
    auto file = session.OpenDictionary("X");
    if (exporting::SelectItems(session, exporting::DatabaseKind::UniVerse, "X") != 0) {
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

// The floor: list the directory, read each item file raw, cut it at its line feeds into
// the same line and write the lines to the file, flushed to disk as the export does.
std::size_t ReadAndWriteRaw(const std::string& dictionaryPath, const std::string& target) {
    DIR* dir = ::opendir(dictionaryPath.c_str());
    const int dirFd = ::dirfd(dir);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(1 << 16);
    std::string lines;
    std::size_t written = 0;
    const auto flush = [&] {
        if (::write(out, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) {
            std::abort();
        }
        written += lines.size();
        lines.clear();
    };
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY);
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        lines += entry->d_name;
        int field = 0;
        lines += '\t';
        for (ssize_t i = 0; i < n && field < kListedFields; ++i) {
            if (buffer[static_cast<std::size_t>(i)] == '\n') {
                ++field;
                if (field < kListedFields) {
                    lines += '\t';
                }
            } else {
                lines += buffer[static_cast<std::size_t>(i)];
            }
        }
        lines.append(
            static_cast<std::size_t>(kListedFields - 1 - std::min(field, kListedFields - 1)), '\t');
        lines += "\r\n";
        if (lines.size() >= buffer.size()) {
            flush();
        }
    }
    flush();
    ::fsync(out);
    ::close(out);
    ::closedir(dir);
    return written;
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
    const double raw = bench::BestSeconds(
        kRepeats, [&] { return ReadAndWriteRaw(account.dictionaryPath(), rawTarget); }, rawBytes);
    const double exported = bench::BestSeconds(
        kRepeats, [&] { return ExportThroughClient(account.path(), exportTarget); }, exportBytes);

    // The same lines, in another order: the export sorts, the floor takes directory order.
    const bool same = SortedLines(rawTarget) == SortedLines(exportTarget);
    std::printf("Best of %d, %d items:\n", kRepeats, items);
    std::printf("  raw read + write of the same bytes:      %8.1f ms (%zu bytes)\n", raw * 1e3,
                rawBytes);
    std::printf("  SSELECT + Read + listing file replaced:  %8.1f ms (%zu bytes)%s\n",
                exported * 1e3, exportBytes, same ? "" : "  LINES DIFFER");
    std::printf("  ratio export / raw: %.2f\n", exported / raw);
    return same ? 0 : 1;
}

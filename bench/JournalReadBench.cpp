// SPDX-License-Identifier: MIT
// Reading a journal whose bytes were crafted to cost the most: a frame mark every 8 bytes,
// each length reaching near the end, each payload starting like a change, with good frames
// after them. Against the baseline of checksumming the same bytes once, in the same run.
// Usage: bench_journal_read [MiB] (default 8).
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/JournalFormat.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Crafted(std::size_t size, const std::string& tail) {
    const std::string mark = tail.substr(0, 4);
    std::string bytes;
    bytes.reserve(size + tail.size());
    for (std::size_t at = 0; at + 8 <= size; at += 8) {
        const std::size_t reach = size + tail.size() - at - 12;
        const auto length = static_cast<std::uint32_t>((reach & ~std::size_t{0xFF}) | 'C');
        bytes += mark;
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((length >> shift) & 0xFFu);
        }
    }
    return bytes + tail;
}

template <typename Work>
double Seconds(Work&& work) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
    core::JournalEntry entry;
    entry.session = 1;
    entry.sequence = 1;
    entry.id = "GOOD";
    entry.after = std::string(
        "D\xFE"
        "1");
    const std::string bytes = Crafted(mib << 20, core::EncodeChangeFrame(entry));

    std::size_t found = 0;
    const double read = Seconds([&] { found = core::DecodeJournal(bytes).entries.size(); });
    uLong sink = 0;
    const double raw = Seconds(
        [&] { sink = ::crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()); });
    std::printf("journal of %zu MiB of crafted frame marks: read %.3f s (%zu good frame found)\n",
                mib, read, found);
    std::printf("baseline, one CRC-32 over the same bytes: %.4f s (%lx)\n", raw, sink);
    std::printf("ratio: %.1f\n", read / raw);
    return found == 1 ? 0 : 1;
}

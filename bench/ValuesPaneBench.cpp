// SPDX-License-Identifier: MIT
// The values pane's work on the local engine, as its worker does it, over a file of
// 10,000 data records: the first values of a row (the pane's own session connected, the
// file opened, its first ten records selected and read, the item evaluated and laid out),
// a move to another row (records already read), and a keystroke in a row being typed;
// each against reading the same ten record files and the dictionary raw, in the same
// run, and against the 50 ms the pane is allowed. Then the memory the pane adds with 100
// records shown. Medians of several runs.
// Usage: bench_values_pane [records] (default 10000).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/SampleRecords.h"
#include "app/SampleValues.h"
#include "bench/support/GeneratedAccount.h"
#include "bench/support/ValuesAccount.h"
#include "platform/mv/FreedMemory.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/Session.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRounds = 9;

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The dictionary as the window holds it: each item's record by its id.
std::shared_ptr<const app::ItemSnapshot> DictionaryOf(const std::string& account) {
    auto items = std::make_shared<app::ItemSnapshot>();
    for (const auto& entry : fs::directory_iterator(fs::path(account) / "D_ORDERS")) {
        std::string record = ReadFile(entry.path());
        mv::FileBytesToRecord(record);
        (*items)[entry.path().filename().string()] = std::move(record);
    }
    return items;
}

app::ValuesQuery QueryFor(const std::shared_ptr<const app::ItemSnapshot>& items,
                          const std::string& item, std::size_t count) {
    app::ValuesQuery query;
    query.file = "ORDERS";
    query.items = items;
    query.item = item;
    query.record = items->at(item);
    query.count = count;
    return query;
}

// The pane's session and records, as its worker holds them.
struct Pane {
    explicit Pane(const std::string& account) {
        session.SetAccountPath(account);
        session.Connect();
    }
    std::size_t Show(const app::ValuesQuery& query) {
        std::string why;
        const std::vector<app::SampleRecord> shown =
            records.Take(query.file, query.ids, query.count, why);
        return why.empty() ? app::ValuesText(session, query, shown, false, {}).size() : 0;
    }
    mv::Session session;
    app::SampleRecords records{session};
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const bench::ValuesAccount account(count);
    const auto items = DictionaryOf(account.path());
    std::vector<fs::path> firstTen;
    for (int r = 0; r < 10; ++r) {
        firstTen.push_back(fs::path(account.path()) / "ORDERS" / std::to_string(100000 + r));
    }
    const auto raw = [&] {
        std::size_t bytes = 0;
        for (const fs::path& file : firstTen) {
            bytes += ReadFile(file).size();
        }
        bytes += bench::ReadItemFilesRaw(account.path() + "/D_ORDERS");
        return bytes;
    };

    app::ValuesQuery typed = QueryFor(items, "DISCOUNT", 10);
    typed.typed = true;
    std::vector<double> raws, firsts, moves, keystrokes;
    raw();  // the files into the page cache, as every run then finds them
    for (int round = 0; round < kRounds; ++round) {
        raws.push_back(Milliseconds([&] { raw(); }));
        std::unique_ptr<Pane> pane;
        firsts.push_back(Milliseconds([&] {
            pane = std::make_unique<Pane>(account.path());
            pane->Show(QueryFor(items, "TOTAL", 10));
        }));
        moves.push_back(Milliseconds([&] { pane->Show(QueryFor(items, "CUSTOMER.NAME", 10)); }));
        keystrokes.push_back(Milliseconds([&] {
            typed.record = "I\nSUM(QTY);IF @1 > " + std::to_string(round) +
                           " THEN TOTAL * 5 / 100 ELSE 0\nMD2\nDiscount\n10R\nS";
            for (char& c : typed.record) {
                c = c == '\n' ? '\xFE' : c;
            }
            pane->Show(typed);
        }));
    }
    const double floor = Median(raws);
    std::printf(
        "The values pane on the local engine, ORDERS of %d records, 10 shown "
        "(medians of %d runs)\n",
        count, kRounds);
    std::printf("  raw read of the 10 records and the dictionary: %7.2f ms (baseline)\n", floor);
    const auto line = [&](const char* what, const std::vector<double>& times) {
        const double ms = Median(times);
        std::printf("  %-46s %7.2f ms  %6.1fx  %s 50 ms\n", what, ms, ms / floor,
                    ms <= 50 ? "within" : "over");
    };
    line("first values (session, open, select, read, I item)", firsts);
    line("another row, its records already read (TRANS)", moves);
    line("a keystroke in a typed expression", keystrokes);

    // The memory the pane adds: its session and 100 records shown for every item.
    mv::ReturnFreedMemory();
    const double before = ResidentMiB();
    {
        Pane pane(account.path());
        for (const auto& [name, record] : *items) {
            pane.Show(QueryFor(items, name, 100));
        }
        std::printf(
            "  memory with the pane open on 100 records: +%.1f MiB (target: within 20 MB)\n",
            ResidentMiB() - before);
    }
    return 0;
}

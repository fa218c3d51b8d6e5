// SPDX-License-Identifier: MIT
// `kelvora-cmd list --tsv` in-process over a generated file of records and five fields
// (two D items with conversions, three I items: arithmetic, a TRANS and a multi-statement
// expression), against reading the same record files raw, in the same run. The two are
// run in turn, several times, and each is given by its median, so a moment when the
// machine is busy weighs on both alike.
// Usage: bench_values [records] (default 10000).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRounds = 7;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The account: ORDERS with `records` records and a small CUSTOMERS file its TRANS reads.
class ValuesAccount {
public:
    explicit ValuesAccount(int records) {
        std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        for (const char* folder : {"D_ORDERS", "ORDERS", "D_CUSTOMERS", "CUSTOMERS"}) {
            fs::create_directory(path_ / folder);
        }
        const fs::path dictionary = path_ / "D_ORDERS";
        Write(dictionary / "CUSTOMER", "D\n1\n\nCustomer\n8L\nS");
        Write(dictionary / "ORDER.DATE", "D\n2\nD2/\nDate\n10R\nS");
        Write(dictionary / "PRICE", "D\n3\nMD2\nPrice\n10R\nM");
        Write(dictionary / "QTY", "D\n4\n\nQty\n5R\nM");
        Write(dictionary / "TOTAL", "I\nSUM(QTY * PRICE)\nMD2\nTotal\n12R\nS");
        Write(dictionary / "CUSTOMER.NAME", "I\nTRANS(CUSTOMERS,CUSTOMER,1,'X')\n\nName\n20L\nS");
        Write(dictionary / "DISCOUNT",
              "I\nSUM(QTY);IF @1 > 10 THEN TOTAL * 5 / 100 ELSE 0\nMD2\nDiscount\n10R\nS");
        for (int c = 0; c < 100; ++c) {
            Write(path_ / "CUSTOMERS" / ("C" + std::to_string(c)),
                  "Customer number " + std::to_string(c) + "\nSomewhere");
        }
        for (int r = 0; r < records; ++r) {
            Write(path_ / "ORDERS" / std::to_string(100000 + r),
                  "C" + std::to_string(r % 120) + "\n" + std::to_string(19000 + r % 900) + "\n" +
                      std::to_string(100 + r % 5000) + "\xFD" + "250\n" + std::to_string(r % 9) +
                      "\xFD"
                      "3");
        }
    }
    ~ValuesAccount() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ValuesAccount(const ValuesAccount&) = delete;
    ValuesAccount& operator=(const ValuesAccount&) = delete;

    std::string path() const { return path_.string(); }

private:
    fs::path path_;
};

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
    const ValuesAccount account(records);
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

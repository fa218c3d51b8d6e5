// SPDX-License-Identifier: MIT
// `kelvora-cmd list --tsv` in-process over a generated file of records and five fields
// (two D items with conversions, three I items: arithmetic, a TRANS and a multi-statement
// expression), against reading the same record files raw, in the same run.
// Usage: bench_values [records] (default 10000).
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRepeats = 3;

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

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const ValuesAccount account(records);
    std::size_t rawBytes = 0;
    const double raw = bench::BestSeconds(
        kRepeats, [&] { return bench::ReadItemFilesRaw(account.path() + "/ORDERS"); }, rawBytes);
    std::size_t listed = 0;
    const double list = bench::BestSeconds(
        kRepeats,
        [&] {
            std::ostringstream out, err;
            const cli::Environment env{out,          err, nullptr, false, false,
                                       std::nullopt, {},  {},      false, {}};
            const int status = cli::RunCli({"list", account.path(), "ORDERS", "ORDER.DATE", "PRICE",
                                            "TOTAL", "CUSTOMER.NAME", "DISCOUNT", "--tsv"},
                                           env);
            if (status != 0) {
                std::fprintf(stderr, "list failed (%d): %s\n", status, err.str().c_str());
                std::abort();
            }
            return out.str().size();
        },
        listed);
    std::printf("list --tsv of %d records x 5 fields: %.3f s (%zu bytes out)\n", records, list,
                listed);
    std::printf("baseline, the same record files read raw: %.3f s (%zu bytes)\n", raw, rawBytes);
    std::printf("ratio: %.2f\n", list / raw);
    return 0;
}

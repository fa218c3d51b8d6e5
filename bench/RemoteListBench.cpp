// SPDX-License-Identifier: MIT
// `kelvora-cmd list` of one I item on 10 records through kelvora-server with 20 ms added
// to every round trip (a relay in front of the server that delays every byte), against
// its floor from the same run: the round trips such a list needs (the login's two, then
// the files with the dictionary's ids, its items, the records' ids, and the records with
// the server's values) at 20 ms each, plus the same list on loopback without the delay.
// Usage: bench_remote_list
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/support/DelayRelay.h"
#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"
#include "server/Listener.h"
#include "server/ServerLog.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRepeats = 5;
constexpr int kDelayEachWayMs = 10;
constexpr int kRecords = 1000;
constexpr int kListRoundTrips = 2 + 4;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file ORDERS of kRecords records with a dictionary of D items and an I item over them.
class OrdersAccount {
public:
    OrdersAccount() {
        std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        const fs::path account = root_ / "account";
        fs::create_directories(account / "D_ORDERS");
        fs::create_directories(account / "ORDERS");
        Write(account / "D_ORDERS" / "CUSTOMER", "D\n1\n\nCustomer\n8L\nS");
        Write(account / "D_ORDERS" / "PRICE", "D\n3\nMD2\nPrice\n10R\nM");
        Write(account / "D_ORDERS" / "QTY", "D\n4\n\nQty\n5R\nM");
        Write(account / "D_ORDERS" / "TOTAL", "I\nSUM(MULS(QTY, PRICE))\nMD2\nTotal\n12R\nS");
        for (int r = 0; r < kRecords; ++r) {
            Write(account / "ORDERS" / std::to_string(100000 + r),
                  "C" + std::to_string(r % 120) + "\n19000\n" + std::to_string(100 + r % 5000) +
                      "\xFD"
                      "250\n" +
                      std::to_string(r % 9) +
                      "\xFD"
                      "3");
        }
    }
    ~OrdersAccount() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    OrdersAccount(const OrdersAccount&) = delete;
    OrdersAccount& operator=(const OrdersAccount&) = delete;

    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

double ListThrough(const std::string& host) {
    const std::string place = "bench@" + host + "/account";
    std::size_t listed = 0;
    return bench::BestSeconds(
        kRepeats,
        [&] {
            std::ostringstream out, err;
            const cli::Environment env{out, err, nullptr, false, false, std::string("any"),
                                       {},  {},  false,   {}};
            const int status =
                cli::RunCli({"list", place, "ORDERS", "TOTAL", "--sample", "10", "--tsv"}, env);
            if (status != 0) {
                std::fprintf(stderr, "list failed (%d): %s\n", status, err.str().c_str());
                std::abort();
            }
            return out.str().size();
        },
        listed);
}

}  // namespace

int main() {
    const OrdersAccount account;
    server::ServerConfig config;
    config.root = fs::canonical(account.root());
    std::string why;
    server::ParseListenAddress("127.0.0.1:0", 0, config.listen, why);
    const auto listener = server::Listener::Start(
        std::move(config), std::make_shared<server::ServerLog>([](const std::string&) {}), why);
    if (!listener) {
        std::fprintf(stderr, "the server cannot listen: %s\n", why.c_str());
        return 1;
    }
    const double loopback = ListThrough("127.0.0.1:" + std::to_string(listener->Port()));
    double delayed = 0;
    {
        const bench::DelayRelay relay(listener->Port(), std::chrono::milliseconds(kDelayEachWayMs));
        delayed = ListThrough(relay.Host());
    }
    const double trip = 2 * kDelayEachWayMs / 1000.0;
    const double floor = kListRoundTrips * trip + loopback;
    std::printf("list of one I item on 10 of %d records through kelvora-server, best of %d\n",
                kRecords, kRepeats);
    std::printf("  on loopback, no delay:          %7.1f ms\n", loopback * 1e3);
    std::printf("  Kelvora at %d ms a round trip:  %7.1f ms (%.1f round trips of waiting)\n",
                2 * kDelayEachWayMs, delayed * 1e3, (delayed - loopback) / trip);
    std::printf("  floor, %d round trips + loopback: %7.1f ms\n", kListRoundTrips, floor * 1e3);
    std::printf("  ratio: %.2f\n", delayed / floor);
    return 0;
}

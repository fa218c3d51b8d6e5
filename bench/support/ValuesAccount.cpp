// SPDX-License-Identifier: MIT
#include "bench/support/ValuesAccount.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>

namespace bench {

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

ValuesAccount::ValuesAccount(int records) {
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

ValuesAccount::~ValuesAccount() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace bench

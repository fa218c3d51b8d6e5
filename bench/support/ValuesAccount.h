// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace bench {

// An account in a temporary folder for the values benchmarks: ORDERS with `records` data
// records and a dictionary of two D items with conversions and three I items (arithmetic
// over multivalues, a TRANS into CUSTOMERS, a multi-statement expression), and a small
// CUSTOMERS file the TRANS reads (120 customers named, 100 of them found). Removed at the end.
class ValuesAccount {
public:
    explicit ValuesAccount(int records);
    ~ValuesAccount();
    ValuesAccount(const ValuesAccount&) = delete;
    ValuesAccount& operator=(const ValuesAccount&) = delete;

    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace bench

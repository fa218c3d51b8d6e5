// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/mv/HostAddress.h"

namespace {

using mv::ParseHostAddress;

TEST(HostAddress, takesAHostWithOrWithoutPortAndBracketedIPv6) {
    const struct {
        const char* text;
        const char* host;
        int port;
    } cases[] = {{"db", "db", 31438},
                 {"db.example.com:4000", "db.example.com", 4000},
                 {"127.0.0.1:1", "127.0.0.1", 1},
                 {"::1", "::1", 31438},
                 {"[::1]", "::1", 31438},
                 {"[fe80::1]:65535", "fe80::1", 65535}};
    for (const auto& c : cases) {
        const auto address = ParseHostAddress(c.text, 31438);
        ASSERT_TRUE(address.has_value()) << c.text;
        EXPECT_EQ(address->host, c.host) << c.text;
        EXPECT_EQ(address->port, c.port) << c.text;
    }
}

TEST(HostAddress, refusesWhatNamesNoHostOrNoPort) {
    for (const char* text : {"", ":80", "db:", "db:0", "db:65536", "db:80x", "db:-1", "[::1",
                             "[]:80", "[::1]80", "db:123456"}) {
        EXPECT_FALSE(ParseHostAddress(text, 31438).has_value()) << text;
    }
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>

#include "platform/mv/ErrorCodes.h"

namespace mv {
namespace {

// The constants file names exactly the codes the engine returns, each with a text.
TEST(Uvoaif, NamesEveryErrorCodeAndNoOther) {
    std::ifstream in(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt");
    ASSERT_TRUE(in) << "Uvoaif.txt not found";
    const std::regex line(R"(^(UVE_[A-Z0-9_]+) = (\d+) '(.*\S.*)$)");
    std::map<int, std::string> listed;
    std::string text;
    while (std::getline(in, text)) {
        if (text.find("UVE_") == std::string::npos) {
            continue;
        }
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << text;
        const int code = std::stoi(match[2]);
        EXPECT_TRUE(listed.emplace(code, match[1]).second) << "listed twice: " << code;
    }
    std::map<int, std::string> expected;
    for (const ErrorCode code : kAllErrorCodes) {
        EXPECT_TRUE(listed.count(code)) << "missing from Uvoaif.txt: " << code;
        expected.emplace(code, "");
    }
    for (const auto& [code, name] : listed) {
        EXPECT_TRUE(expected.count(code))
            << name << " = " << code << " is not a code of ErrorCodes.h";
    }
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "cli/Cli.h"
#include "cli/Environment.h"
#include "tests/cli/CliFixture.h"

namespace cli::test {
namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Without the constants file every code is unnamed; the reason is said once per run,
// with the path, however many errors follow.
TEST(ConstantsNotice, missingConstantsFileIsNamedOnceWithTheFirstError) {
    std::ostringstream out, err;
    const Environment env{out,   err,          nullptr, false,
                          false, std::nullopt, {},      "/opt/kelvora/bin/Uvoaif.txt",
                          false, std::nullopt};
    ReportError(env, 30001, "ITEM1");
    ReportError(env, 30001, "ITEM2");
    const std::string text = err.str();
    EXPECT_EQ(Count(text, "(Unidentified Error)"), 2u) << text;
    EXPECT_EQ(Count(text, "/opt/kelvora/bin/Uvoaif.txt could not be read"), 1u) << text;
    EXPECT_LT(text.find("ITEM1"), text.find("Uvoaif.txt")) << text;
}

TEST(ConstantsNotice, commandThatFailsWithoutNamesSaysWhy) {
    TempFolder account;
    std::ostringstream out, err;
    const Environment env{out,   err,          nullptr, false,
                          false, std::nullopt, {},      "/nowhere/Uvoaif.txt",
                          false, std::nullopt};
    EXPECT_NE(RunCli({"-a", account.Path().string(), "check", "MISSING"}, env), kExitOk);
    EXPECT_NE(err.str().find("/nowhere/Uvoaif.txt could not be read"), std::string::npos)
        << err.str();
}

TEST(ConstantsNotice, nothingIsSaidWhenTheTableIsLoaded) {
    TempFolder account;
    const Outcome outcome = RunCli({"-a", account.Path().string(), "check", "MISSING"});
    EXPECT_NE(outcome.status, kExitOk);
    EXPECT_EQ(outcome.err.find("could not be read"), std::string::npos) << outcome.err;
}

}  // namespace
}  // namespace cli::test

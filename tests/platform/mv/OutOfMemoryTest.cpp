// SPDX-License-Identifier: MIT
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ServerCommand.h"
#include "platform/mv/Session.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

using test::TempAccount;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// The address space the process uses now, in bytes (VmSize of /proc/self/status).
long long AddressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmSize:") {
            long long kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

// Exit statuses of the child, each a distinct outcome the parent can name.
enum ChildOutcome { kReportedOutOfMemory = 0, kNoError = 10, kOtherError = 11, kLimitFailed = 12 };

// Runs `command` in a child process whose address space may grow by only `headroom`
// bytes, and tells how the command ended. Running out of memory must end the command
// with its own code, never the process.
int RunUnderAddressLimit(const TempAccount& account, const std::string& command,
                         long long headroom) {
    const pid_t child = ::fork();
    if (child == 0) {
        const std::unique_ptr<Session> session = account.Connect();
        const rlimit limit{static_cast<rlim_t>(AddressSpaceInUse() + headroom),
                           static_cast<rlim_t>(AddressSpaceInUse() + headroom)};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(kLimitFailed);
        }
        ServerCommand& exec = session->Command();
        exec.SetText(command);
        exec.Exec();
        ::_exit(exec.Error() == kOutOfMemory ? kReportedOutOfMemory
                : exec.Error() == kOk        ? kNoError
                                             : kOtherError);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(OutOfMemory, aCompileThatExhaustsMemoryEndsWithItsOwnCodeAndTheItemsStayAsTheyWere) {
    if (kAddressSanitizer) {
        GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
    }
    TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "A", "D\n0");
    // Just under the size limit for an expression, so the compiler accepts it and then
    // needs far more than the few megabytes the child may still take.
    std::string expression = "1";
    while (expression.size() + 2 < 1000 * 1000) {
        expression += "+1";
    }
    account.WriteFile("F", "H", "I\n" + expression);
    const auto before = account.Snapshot();

    EXPECT_EQ(RunUnderAddressLimit(account, "CD F H", 8LL << 20), kReportedOutOfMemory);
    EXPECT_EQ(account.Snapshot(), before);
    // With room enough the same command compiles, so the code above came from the limit.
    EXPECT_EQ(RunUnderAddressLimit(account, "CD F H", 2LL << 30), kNoError);
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/cli/CliFixture.h"

extern char** environ;

namespace cli::test {
namespace {

// Runs the built kelvora-cmd with its output in files of folder; maxResidentKb, when
// given, takes the largest resident memory the run had.
Outcome RunExecutable(const TempFolder& folder, std::vector<std::string> words,
                      long* maxResidentKb = nullptr) {
    const std::string out = (folder.Path() / "stdout").string();
    const std::string err = (folder.Path() / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    words.insert(words.begin(), KELVORA_CMD);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    Outcome outcome;
    pid_t pid = 0;
    if (posix_spawn(&pid, KELVORA_CMD, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        struct rusage usage {};
        if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
            outcome.status = WEXITSTATUS(status);
        }
        if (maxResidentKb != nullptr) {
            *maxResidentKb = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = FileBytes(out);
    outcome.err = FileBytes(err);
    return outcome;
}

// The executable passes its arguments and streams to the library, names codes from the
// constants file beside itself, and exits with the library's status.
TEST(Executable, wiresArgumentsStreamsErrorNamesAndExitStatus) {
    const TempFolder folder;
    const fs::path demo = CopyDemo(folder);

    const Outcome exported = RunExecutable(folder, {"-a", demo.string(), "export", "ORDERS"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, RunCli({"-a", demo.string(), "export", "ORDERS"}).out);
    EXPECT_EQ(exported.err, "");  // standard error is a file here: no progress line

    const Outcome failed =
        RunExecutable(folder, {"-a", demo.string(), "EXEC", "SSELECT DICT NOPE"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err,
              "kelvora-cmd: error 10003 (The command names a file that does not exist in this "
              "account)\n");

    EXPECT_EQ(RunExecutable(folder, {"--help"}).status, 0);
    EXPECT_EQ(RunExecutable(folder, {"frob"}).status, 2);
}

// A load holds a large item a couple of times at most (read, and turned into the file's
// bytes), never once per step it passes through: its memory grows by less than 3 times
// the item over the same load of a small one.
TEST(Executable, aLoadOfALargeItemTakesLessThanThreeTimesItsSize) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks in quarantine, so resident memory says nothing
    // of what the program holds; the release build measures it.
    GTEST_SKIP() << "resident memory is not the program's own under AddressSanitizer";
#endif
    const TempFolder folder;
    constexpr long kItemKb = 64 * 1024;
    long resident[2] = {0, 0};
    for (const long itemKb : {1L, kItemKb}) {
        const fs::path dump = folder.Path() / ("dump" + std::to_string(itemKb));
        const fs::path account = folder.Path() / ("account" + std::to_string(itemKb));
        fs::create_directories(dump);
        fs::create_directories(account / "D_F");
        WriteBytes(dump / ".kelvora-dump", "kelvora dictionary dump 1\nF\nBIG\n");
        WriteBytes(dump / "BIG",
                   "D\n" + std::string(static_cast<std::size_t>(itemKb) * 1024, 'a') + "\n");
        ::setenv("XDG_DATA_HOME", (folder.Path() / "data").c_str(), 1);
        const Outcome load = RunExecutable(folder, {"load", dump.string(), account.string(), "F"},
                                           &resident[itemKb == kItemKb ? 1 : 0]);
        ::unsetenv("XDG_DATA_HOME");
        ASSERT_EQ(load.status, 0) << load.err;
        ASSERT_EQ(fs::file_size(account / "D_F" / "BIG"),
                  static_cast<std::uintmax_t>(itemKb) * 1024 + 2);
    }
    EXPECT_LT(resident[1] - resident[0], 3 * kItemKb) << resident[0] << " KB for a small item";
}

}  // namespace
}  // namespace cli::test

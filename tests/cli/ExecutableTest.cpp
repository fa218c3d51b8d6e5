// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/cli/CliFixture.h"

extern char** environ;

namespace cli::test {
namespace {

// Runs the built kelvora-cmd with its output in files of folder.
Outcome RunExecutable(const TempFolder& folder, std::vector<std::string> words) {
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
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            outcome.status = WEXITSTATUS(status);
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

}  // namespace
}  // namespace cli::test

// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/mv/UniqueFd.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/PasswordHash.h"
#include "server/UsersFile.h"
#include "tests/server/ServerFixture.h"

extern char** environ;

namespace server::test {
namespace {

namespace fs = std::filesystem;

// The built kelvora-server, started with stdin from a file, stdout into a pipe and stderr
// into a file.
class Program {
public:
    Program(const fs::path& folder, std::vector<std::string> words, const std::string& input = "")
        : errPath_(folder / "stderr") {
        const std::string inPath = (folder / "stdin").string();
        std::ofstream(inPath) << input;
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        out_ = mv::UniqueFd(out[0]);
        const mv::UniqueFd outWrite(out[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, inPath.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        words.insert(words.begin(), KELVORA_SERVER);
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, KELVORA_SERVER, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }

    // One line of standard output, waiting at most five seconds.
    std::string ReadLine() {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < end) {
            pollfd watched{out_.Get(), POLLIN, 0};
            if (::poll(&watched, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(out_.Get(), &c, 1) != 1 || c == '\n') {
                break;
            }
            line.push_back(c);
        }
        return line;
    }

    // The exit status, waiting at most ten seconds; -1 when it did not exit by itself.
    int Wait() {
        for (int i = 0; i < 1000 && pid_ > 0; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    void Signal(int number) const { ::kill(pid_, number); }
    std::string Err() const { return mv::test::FileBytes(errPath_); }
    std::string Out() {
        std::string all;
        for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
            all += line + "\n";
        }
        return all;
    }

private:
    fs::path errPath_;
    mv::UniqueFd out_;
    pid_t pid_ = 0;
};

TEST(Executable, helpUsageErrorsAndStartFailuresHaveTheirExitStatus) {
    const mv::test::TempAccount temp;
    Program help(temp.Parent(), {"--help"});
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_NE(help.Out().find("Usage: kelvora-server --root DIR"), std::string::npos);

    Program usage(temp.Parent(), {"--root", temp.Parent().string(), "--frob"});
    EXPECT_EQ(usage.Wait(), 2);
    EXPECT_EQ(usage.Err(),
              "kelvora-server: unknown option \"--frob\" (see kelvora-server --help)\n");
    Program open(temp.Parent(), {"--root", temp.Parent().string(), "--listen", "0.0.0.0:0"});
    EXPECT_EQ(open.Wait(), 2);

    Program badRoot(temp.Parent(), {"--root", (temp.Parent() / "nope").string(), "--no-auth"});
    EXPECT_EQ(badRoot.Wait(), 1);
    EXPECT_NE(badRoot.Err().find("is not a folder"), std::string::npos);
    Program noUsers(temp.Parent(), {"--root", temp.Parent().string(), "--users",
                                    (temp.Parent() / "nope").string()});
    EXPECT_EQ(noUsers.Wait(), 1);
    EXPECT_NE(noUsers.Err().find("cannot read users file"), std::string::npos);
    Program noCertificate(temp.Parent(), {"--root", temp.Parent().string(), "--no-auth", "--cert",
                                          (temp.Parent() / "nope.pem").string(), "--key",
                                          (temp.Parent() / "nope.key").string()});
    EXPECT_EQ(noCertificate.Wait(), 1);
    EXPECT_NE(noCertificate.Err().find("cannot read the certificate"), std::string::npos);
}

TEST(Executable, servesOnTheAddressItPrintsAndStopsCleanlyOnSigterm) {
    const mv::test::TempAccount temp;
    Program server(temp.Parent(),
                   {"--root", temp.Parent().string(), "--listen", "127.0.0.1:0", "--no-auth"});
    const std::string first = server.ReadLine();
    ASSERT_EQ(first.rfind("listening on 127.0.0.1:", 0), 0u) << first << server.Err();
    const auto port = static_cast<std::uint16_t>(std::stoi(first.substr(first.rfind(':') + 1)));
    auto channel = LoggedIn(port);
    ASSERT_TRUE(channel);
    EXPECT_EQ(CodeOf(Call(*channel, Request(mv::wire::kClearSelect, {Arg::Int(0)}))), 0);

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_TRUE(IsClosedByServer(*channel));
    EXPECT_NE(server.Err().find("logged in as user \"alice\""), std::string::npos) << server.Err();
}

TEST(Executable, passwdAddsAndChangesAUserFromStandardInput) {
    const mv::test::TempAccount temp;
    const std::string file = (temp.Parent() / "users").string();
    Program add(temp.Parent(), {"passwd", file, "alice"}, "first\n");
    EXPECT_EQ(add.Wait(), 0) << add.Err();
    EXPECT_EQ(add.Out(), "added user alice\n");
    Program change(temp.Parent(), {"passwd", file, "alice"}, "second");
    EXPECT_EQ(change.Wait(), 0) << change.Err();
    EXPECT_EQ(change.Out(), "changed the password of user alice\n");
    Program empty(temp.Parent(), {"passwd", file, "alice"}, "\n");
    EXPECT_EQ(empty.Wait(), 1);

    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    UserTable users;
    std::string why;
    ASSERT_TRUE(LoadUsersFile(file, users, why)) << why;
    ASSERT_NE(users.HashOf("alice"), nullptr);
    EXPECT_TRUE(VerifyPassword(*users.HashOf("alice"), "second"));
    EXPECT_FALSE(VerifyPassword(*users.HashOf("alice"), "first"));
}

}  // namespace
}  // namespace server::test

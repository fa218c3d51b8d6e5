// SPDX-License-Identifier: MIT
#include "bench/support/ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "server/ServerLog.h"

extern char** environ;

namespace bench {

ServerProcess::ServerProcess(const std::filesystem::path& root, std::vector<std::string> words,
                             server::ServerConfig config) {
    if (StartProcess(root, std::move(words))) {
        return;
    }
    config.root = std::filesystem::canonical(root);
    std::string why;
    server::ParseListenAddress("127.0.0.1:0", 0, config.listen, why);
    inProcess_ = server::Listener::Start(
        std::move(config), std::make_shared<server::ServerLog>([](const std::string&) {}), why);
    if (inProcess_) {
        host_ = "127.0.0.1:" + std::to_string(inProcess_->Port());
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (!logPath_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(logPath_, ignored);
    }
}

std::uint16_t ServerProcess::Port() const {
    return static_cast<std::uint16_t>(std::atoi(host_.c_str() + host_.rfind(':') + 1));
}

long ServerProcess::StatusKilobytes(const std::string& key) const {
    std::ifstream status(pid_ > 0 ? "/proc/" + std::to_string(pid_) + "/status"
                                  : std::string("/proc/self/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + key.size());
        }
    }
    return -1;
}

long ServerProcess::LogBytes() const {
    std::error_code error;
    const auto size = logPath_.empty() ? 0 : std::filesystem::file_size(logPath_, error);
    return logPath_.empty() || error ? -1 : static_cast<long>(size);
}

bool ServerProcess::StartProcess(const std::filesystem::path& root,
                                 std::vector<std::string> words) {
    std::error_code error;
    const auto program =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "kelvora-server";
    if (error || !std::filesystem::exists(program)) {
        return false;
    }
    int out[2];
    if (::pipe(out) != 0) {
        return false;
    }
    logPath_ = std::filesystem::temp_directory_path() /
               ("kelvora-bench-server-" + std::to_string(::getpid()) + ".log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    words.insert(words.begin(),
                 {program.string(), "--root", root.string(), "--listen", "127.0.0.1:0"});
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        pid_ = 0;
        ::close(out[0]);
        return false;
    }
    // The first line: "listening on 127.0.0.1:PORT".
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    ::close(out[0]);
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) != 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        return false;
    }
    host_ = line.substr(prefix.size());
    return true;
}

}  // namespace bench

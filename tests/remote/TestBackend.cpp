// SPDX-License-Identifier: MIT
#include "tests/remote/TestBackend.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "server/Listener.h"
#include "server/ServerLog.h"

namespace testbackend {

namespace {

// One server per served folder, for the life of the test program.
std::unique_ptr<server::Listener>& ServerFor(const std::filesystem::path& root) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::unique_ptr<server::Listener>> servers;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<server::Listener>& listener = servers[root];
    if (!listener) {
        server::ServerConfig config;
        config.root = std::filesystem::canonical(root);
        std::string why;
        server::ParseListenAddress("127.0.0.1:0", 0, config.listen, why);
        auto log = std::make_shared<server::ServerLog>([](const std::string&) {});
        listener = server::Listener::Start(std::move(config), std::move(log), why);
        if (!listener) {
            std::abort();  // no test can run through a server that cannot listen
        }
    }
    return listener;
}

}  // namespace

bool IsRemote() {
    const char* backend = std::getenv("KELVORA_TEST_BACKEND");
    return backend != nullptr && std::string(backend) == "remote";
}

Reach ReachFor(const std::filesystem::path& account) {
    if (!IsRemote()) {
        return {std::string(), account.string()};
    }
    const std::filesystem::path folder = std::filesystem::absolute(account).lexically_normal();
    return {ServeFolder(folder.parent_path()), folder.filename().string()};
}

std::string ServeFolder(const std::filesystem::path& root) {
    return "127.0.0.1:" + std::to_string(ServerFor(root)->Port());
}

}  // namespace testbackend

// SPDX-License-Identifier: MIT
#include "tests/remote/TestBackend.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "server/Listener.h"
#include "server/ServerLog.h"
#include "tests/remote/StandInServer.h"

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

// One stand-in server per served folder and handle mode, for the life of the test program.
StandInServer& StandInFor(const std::filesystem::path& root, StandInServer::Handles handles) {
    static std::mutex mutex;
    static std::map<std::pair<std::filesystem::path, StandInServer::Handles>,
                    std::unique_ptr<StandInServer>>
        servers;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<StandInServer>& server = servers[{root, handles}];
    if (!server) {
        server = std::make_unique<StandInServer>(root, handles);
    }
    return *server;
}

enum class Backend { Local, Server, StandInInteger, StandInBytes };

Backend Chosen() {
    const char* backend = std::getenv("KELVORA_TEST_BACKEND");
    const std::string name = backend != nullptr ? backend : "";
    if (name == "remote") {
        return Backend::Server;
    }
    if (name == "standin-int") {
        return Backend::StandInInteger;
    }
    if (name == "standin-bytes") {
        return Backend::StandInBytes;
    }
    return Backend::Local;
}

}  // namespace

bool IsRemote() {
    return Chosen() != Backend::Local;
}

Reach ReachFor(const std::filesystem::path& account) {
    if (!IsRemote()) {
        return {std::string(), account.string()};
    }
    const std::filesystem::path folder = std::filesystem::absolute(account).lexically_normal();
    return {ServeFolder(folder.parent_path()), folder.filename().string()};
}

std::string ServeFolder(const std::filesystem::path& root) {
    std::uint16_t port = 0;
    switch (Chosen()) {
        case Backend::StandInInteger:
            port = StandInFor(root, StandInServer::Handles::Integer).Port();
            break;
        case Backend::StandInBytes:
            port = StandInFor(root, StandInServer::Handles::Bytes).Port();
            break;
        default:
            port = ServerFor(root)->Port();
            break;
    }
    return "127.0.0.1:" + std::to_string(port);
}

}  // namespace testbackend

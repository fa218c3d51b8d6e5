// SPDX-License-Identifier: MIT
#include "server/ServerMain.h"

#include <filesystem>
#include <ostream>

#include "server/DescriptorBudget.h"
#include "server/Listener.h"
#include "server/PasswdCommand.h"
#include "server/PasswordHash.h"
#include "server/PasswordPrompt.h"
#include "server/ServerCommandLine.h"
#include "server/UsersFile.h"

namespace server {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int Fail(std::ostream& err, const std::string& why) {
    err << "kelvora-server: " << why << std::endl;
    return kFailed;
}

int RunPasswd(const PasswdOptions& options, std::ostream& out, std::ostream& err) {
    std::string password;
    std::string why;
    if (!ReadNewPassword(password, why)) {
        return Fail(err, why);
    }
    bool added = false;
    if (!SetUserPassword(options.usersFile, options.user, password, HashCost::Interactive, added,
                         why)) {
        return Fail(err, why);
    }
    out << (added ? "added user " : "changed the password of user ") << options.user << std::endl;
    return 0;
}

int Serve(const ServeOptions& options, std::ostream& out, std::ostream& err,
          const StopHooks& hooks) {
    ServerConfig config;
    std::error_code error;
    config.root = std::filesystem::canonical(options.root, error);
    if (error || !std::filesystem::is_directory(config.root, error)) {
        return Fail(err, "--root \"" + options.root + "\" is not a folder");
    }
    config.listen = options.listen;
    config.idleTimeout = options.idleTimeout;
    config.lockIdleTimeout = options.lockIdleTimeout;
    config.loginTimeout = options.loginTimeout;
    config.maxSessions = options.maxSessions;
    config.maxLoginFailures = options.maxLoginFailures;
    config.requireTls = options.requireTls;
    std::string why;
    if (options.certificateFile) {
        config.tls =
            mv::wire::TlsCredentials::Load(*options.certificateFile, *options.keyFile, why);
        if (!config.tls) {
            return Fail(err, why);
        }
    }
    if (options.usersFile) {
        UserTable users;
        if (!LoadUsersFile(*options.usersFile, users, why)) {
            return Fail(err, why);
        }
        config.users = std::move(users);
    }
    if (!InitPasswordHashing()) {
        return Fail(err, "the password library could not be initialised");
    }

    if (hooks.beforeThreads) {
        hooks.beforeThreads();
    }
    // Sessions and open files are sized to the descriptors the process may hold; the
    // common soft limit of 1,024 would cap them for no reason when the hard one is higher.
    RaiseOpenFileLimit();
    auto log = std::make_shared<ServerLog>();
    const auto listener = Listener::Start(std::move(config), log, why);
    if (!listener) {
        return Fail(err, why);
    }
    out << "listening on " << listener->Address() << std::endl;
    log->Line("serving the accounts in \"" + options.root + "\" on " + listener->Address() +
              (options.usersFile ? "" : " to anybody (--no-auth)") +
              (options.requireTls        ? ", TLS required"
               : options.certificateFile ? ", TLS offered"
                                         : ""));
    hooks.waitForStop();
    listener->Stop();
    return 0;
}

}  // namespace

int RunServerCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                     const StopHooks& hooks) {
    CommandLine command;
    std::string why;
    if (!ParseCommandLine(words, command, why)) {
        err << "kelvora-server: " << why << " (see kelvora-server --help)" << std::endl;
        return kUsageError;
    }
    switch (command.action) {
        case CommandLine::Action::Help:
            out << UsageText();
            out.flush();
            return 0;
        case CommandLine::Action::Passwd:
            return RunPasswd(command.passwd, out, err);
        case CommandLine::Action::Serve:
            break;
    }
    return Serve(command.serve, out, err, hooks);
}

}  // namespace server

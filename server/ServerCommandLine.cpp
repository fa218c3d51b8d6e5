// SPDX-License-Identifier: MIT
#include "server/ServerCommandLine.h"

#include <charconv>

#include "platform/mv/wire/WireCalls.h"
#include "server/UsersFile.h"

namespace server {

namespace {

// The longest idle time accepted: ten years, far below what the clock can count.
constexpr long long kMaxIdleSeconds = 10LL * 365 * 24 * 3600;

bool ParseSeconds(const std::string& text, std::chrono::seconds& seconds) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 ||
        value > kMaxIdleSeconds) {
        return false;
    }
    seconds = std::chrono::seconds(value);
    return true;
}

bool ParsePasswd(const std::vector<std::string>& words, CommandLine& command, std::string& why) {
    if (words.size() != 3) {
        why = "passwd needs a users file and a user name";
        return false;
    }
    if (!IsValidUserName(words[2])) {
        why = "a user name must not be empty nor hold tabs or control characters";
        return false;
    }
    command.action = CommandLine::Action::Passwd;
    command.passwd = PasswdOptions{words[1], words[2]};
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& words, CommandLine& command,
                      std::string& why) {
    command = CommandLine{};
    if (!words.empty() && words[0] == "passwd") {
        return ParsePasswd(words, command, why);
    }
    ServeOptions& serve = command.serve;
    std::string listen = "127.0.0.1";
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string option = words[i];
        std::optional<std::string> value;
        if (const auto equals = option.find('=');
            option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (option == "--help" || option == "-h") {
            command.action = CommandLine::Action::Help;
            return true;
        }
        if (option == "--no-auth" && !value) {
            serve.noAuth = true;
            continue;
        }
        if (option != "--root" && option != "--listen" && option != "--users" &&
            option != "--idle-timeout") {
            why = "unknown option \"" + words[i] + "\"";
            return false;
        }
        if (!value) {
            if (i + 1 == words.size()) {
                why = option + " needs a value";
                return false;
            }
            value = words[++i];
        }
        if (option == "--root") {
            serve.root = *value;
        } else if (option == "--listen") {
            listen = *value;
        } else if (option == "--users") {
            serve.usersFile = *value;
        } else if (!ParseSeconds(*value, serve.idleTimeout)) {
            why = "--idle-timeout needs a whole number of seconds, at least 1";
            return false;
        }
    }
    if (serve.root.empty()) {
        why = "--root is required";
        return false;
    }
    if (!ParseListenAddress(listen, mv::wire::kDefaultPort, serve.listen, why)) {
        return false;
    }
    if (serve.usersFile && serve.noAuth) {
        why = "--users and --no-auth exclude each other";
        return false;
    }
    if (!serve.usersFile && !serve.noAuth) {
        why = "--users is required (or --no-auth, on a loopback address only)";
        return false;
    }
    if (serve.noAuth && !serve.listen.IsLoopback()) {
        why = "--no-auth is allowed on a loopback address only";
        return false;
    }
    return true;
}

std::string UsageText() {
    return R"(Usage: kelvora-server --root DIR [--listen ADDR:PORT] [--users FILE | --no-auth]
                      [--idle-timeout SECONDS]
       kelvora-server passwd FILE USER
       kelvora-server --help

Serves the account folders under DIR to clients of the database servers' client
protocol (services uvcs and udcs). A login's account is the name of a folder in DIR,
or a path that leads to a folder inside DIR.

Options:
  --root DIR              the folder whose subfolders are the accounts served
  --listen ADDR:PORT      numeric IPv4 or [IPv6] address and port to listen on
                          (default 127.0.0.1:31438; port 0 picks a free one). The
                          address listened on is printed as the first line of output.
  --users FILE            the users who may log in, one "name<TAB>hash" a line, as
                          written by passwd; read when the server starts
  --no-auth               accept any user name and password; only on a loopback address
  --idle-timeout SECONDS  end a session after this long without a request (default 3600)
  --help                  show this text

passwd FILE USER adds USER to the users file, or changes their password. The password
is read from the terminal without echo, or as one line from standard input.

Exit status: 0 success, 1 the server could not start or passwd failed, 2 usage error.
SIGTERM or SIGINT stops the server.
)";
}

}  // namespace server

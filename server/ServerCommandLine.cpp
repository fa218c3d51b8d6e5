// SPDX-License-Identifier: MIT
#include "server/ServerCommandLine.h"

#include <charconv>

#include "platform/mv/wire/WireCalls.h"
#include "server/UsersFile.h"

namespace server {

namespace {

// The longest idle time accepted: ten years, far below what the clock can count.
constexpr long long kMaxIdleSeconds = 10LL * 365 * 24 * 3600;
// Each session is a thread and a socket; beyond this the machine, not the option, limits.
constexpr std::size_t kMaxSessions = 100000;
constexpr std::size_t kMaxLoginFailures = 1000000;

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

// A count from 1 to max, as a whole number.
bool ParseCount(const std::string& text, std::size_t max, std::size_t& count) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > max) {
        return false;
    }
    count = value;
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
        if (option == "--require-tls" && !value) {
            serve.requireTls = true;
            continue;
        }
        if (option != "--root" && option != "--listen" && option != "--users" &&
            option != "--idle-timeout" && option != "--lock-idle-timeout" &&
            option != "--login-timeout" && option != "--cert" && option != "--key" &&
            option != "--max-sessions" && option != "--max-login-failures") {
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
        } else if (option == "--cert") {
            serve.certificateFile = *value;
        } else if (option == "--key") {
            serve.keyFile = *value;
        } else if (option == "--max-sessions") {
            if (!ParseCount(*value, kMaxSessions, serve.maxSessions)) {
                why =
                    "--max-sessions needs a whole number from 1 to " + std::to_string(kMaxSessions);
                return false;
            }
        } else if (option == "--max-login-failures") {
            if (!ParseCount(*value, kMaxLoginFailures, serve.maxLoginFailures)) {
                why = "--max-login-failures needs a whole number from 1 to " +
                      std::to_string(kMaxLoginFailures);
                return false;
            }
        } else if (option == "--login-timeout") {
            if (!ParseSeconds(*value, serve.loginTimeout)) {
                why = "--login-timeout needs a whole number of seconds, at least 1";
                return false;
            }
        } else if (option == "--lock-idle-timeout") {
            if (!ParseSeconds(*value, serve.lockIdleTimeout)) {
                why = "--lock-idle-timeout needs a whole number of seconds, at least 1";
                return false;
            }
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
    if (serve.certificateFile.has_value() != serve.keyFile.has_value()) {
        why = "--cert and --key go together";
        return false;
    }
    if (serve.requireTls && !serve.certificateFile) {
        why = "--require-tls needs --cert and --key";
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
                      [--cert FILE --key FILE [--require-tls]] [--idle-timeout SECONDS]
                      [--lock-idle-timeout SECONDS] [--login-timeout SECONDS]
                      [--max-sessions N]
                      [--max-login-failures N]
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
  --cert FILE             offer TLS with this certificate (PEM, the server's first,
                          then any intermediate ones) to clients that ask for it
  --key FILE              the certificate's private key (PEM, without a passphrase)
  --require-tls           refuse clients that do not ask for TLS (status 81020)
  --idle-timeout SECONDS  end a session after this long without a request (default 3600)
  --lock-idle-timeout SECONDS
                          end a session that holds record locks after this long
                          without a request, releasing its locks (default 600)
  --login-timeout SECONDS close a connection that has not logged in this long after
                          it connected (default 10)
  --max-sessions N        serve at most N logged-in sessions at once (default 64); a
                          further login is refused with status 81016. Connections
                          not logged in yet wait apart, as many as the open files
                          allow (up to 1,024), 4 from one client address (IPv6:
                          one /64) served at a time; a full room closes the one
                          that has waited longest without a login
  --max-login-failures N  at most N failed logins from one client address (IPv6: one
                          /64) a minute (default 10); its further logins are refused
                          with 81024 until then
  --help                  show this text

passwd FILE USER adds USER to the users file, or changes their password. The password
is read from the terminal without echo, or as one line from standard input.

Exit status: 0 success, 1 the server could not start or passwd failed, 2 usage error.
SIGTERM or SIGINT stops the server.
)";
}

}  // namespace server

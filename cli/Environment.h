// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace core {
class ErrorTable;
}

namespace mv {
class Session;
}

namespace cli {

// The exit statuses of kelvora-cmd.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a subcommand writes to and knows about the world around it. main() fills it with
// the standard streams; tests with string streams, so every subcommand runs in-process.
// The streams take bytes exactly as given: main() puts standard output in binary mode.
struct Environment {
    std::ostream& out;
    std::ostream& err;
    const core::ErrorTable* errorNames = nullptr;  // null: every code is "Unidentified Error"
    bool progress = false;                         // standard error is a terminal
    bool outIsTerminal = false;                    // so is standard output
    // The password for a server: the variable KELVORA_PASSWORD when it is set, else what
    // askPassword reads (without echo); nullopt when it cannot be asked.
    std::optional<std::string> passwordVariable;
    std::function<std::optional<std::string>(std::string_view prompt)> askPassword;
    // The constants file that could not be read, named once with the first error reported
    // without names; empty when there is nothing to say.
    std::string missingConstantsFile;
    mutable bool missingConstantsNamed = false;
    // The password for the second server of a command that works on two (diff, apply):
    // the variable KELVORA_PASSWORD_TO when it is set, else asked as above.
    std::optional<std::string> passwordVariableTo;
};

// The name of an error code from the constants file, as the program shows it.
std::string ErrorName(const Environment& env, int code);

// One line on standard error: "kelvora-cmd: SUBJECT: error CODE (NAME)", without the
// subject when it is empty. Returns kExitFailure.
int ReportError(const Environment& env, int code, std::string_view subject = {});

// One line on standard error: "kelvora-cmd: MESSAGE". Returns kExitFailure.
int ReportFailure(const Environment& env, std::string_view message);

struct CommandLine;

// Connects session to the account of the command line: the folder through the local
// engine, or with a host the account on that server (user from -u, password from the
// environment or asked for). On failure reports the code with the account and returns
// false.
bool ConnectAccount(mv::Session& session, const CommandLine& line, const Environment& env);

}  // namespace cli

// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/DatabaseKind.h"

namespace cli {

enum class Subcommand {
    kNone,
    kExec,
    kExport,
    kCheck,
    kDump,
    kLoad,
    kDiff,
    kApply,
    kEquates,
    kList,
    kHistory,
};

// What the words after the program name ask for: options, then a subcommand word (any
// letter case), then its arguments.
struct CommandLine {
    std::string account = ".";  // the folder, or with a host the account on the server
    std::string host;           // empty: the local engine
    std::string user;
    bool tls = false;    // with a host: TLS, the certificate checked
    std::string caFile;  // the CA certificates (PEM) to check it against; empty: the system's
    int readAhead = 0;   // with a host: reads of a list sent ahead; 0: the session's default
    core::DatabaseKind kind = core::DatabaseKind::UniVerse;
    Subcommand subcommand = Subcommand::kNone;
    bool help = false;  // for the subcommand, or the program when there is none
    std::vector<std::string> arguments;
    // The subcommand's own options, given after it: switches (--plan) and options with a
    // value (--prefix P or --prefix=P).
    std::set<std::string> switches;
    std::map<std::string, std::string> values;                 // the last value given
    std::map<std::string, std::vector<std::string>> repeated;  // every value, in order
};

// The command line, or nullopt with a one-line message (no program name, no line end)
// in `usageError` when the words do not make one.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& words,
                                            std::string& usageError);

}  // namespace cli

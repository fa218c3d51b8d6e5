// SPDX-License-Identifier: MIT
#include "cli/CommandLine.h"

#include "cli/Concat.h"
#include "platform/mv/CommandWords.h"

namespace cli {
namespace {

bool IsHelp(const std::string& word) {
    return word == "-h" || word == "--help";
}

// A word that looks like an option: "-" alone names standard output, so it is not one.
bool IsOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-';
}

Subcommand SubcommandOf(const std::string& word) {
    const std::string upper = mv::UpperCase(word);
    if (upper == "EXEC") {
        return Subcommand::kExec;
    }
    if (upper == "EXPORT") {
        return Subcommand::kExport;
    }
    if (upper == "CHECK") {
        return Subcommand::kCheck;
    }
    if (upper == "DUMP") {
        return Subcommand::kDump;
    }
    if (upper == "LOAD") {
        return Subcommand::kLoad;
    }
    if (upper == "DIFF") {
        return Subcommand::kDiff;
    }
    if (upper == "APPLY") {
        return Subcommand::kApply;
    }
    if (upper == "EQUATES") {
        return Subcommand::kEquates;
    }
    if (upper == "LIST") {
        return Subcommand::kList;
    }
    if (upper == "HISTORY") {
        return Subcommand::kHistory;
    }
    return Subcommand::kNone;
}

// The options each subcommand takes after its word: switches, and options with a value.
struct OwnOptions {
    std::set<std::string> switches;
    std::set<std::string> valued;
};

OwnOptions OwnOptionsOf(Subcommand subcommand) {
    switch (subcommand) {
        case Subcommand::kDiff:
            return {{"--json", "--compiled", "--exact"}, {}};
        case Subcommand::kApply:
            return {{"--plan", "--delete", "--compiled", "--merge", "--exact"}, {}};
        case Subcommand::kLoad:
            return {{"--plan", "--exact"}, {}};
        case Subcommand::kEquates:
            return {{}, {"--prefix", "--out", "--check"}};
        case Subcommand::kList:
            return {{"--tsv"}, {"--id", "--sample"}};
        case Subcommand::kHistory:
            return {{"--json"}, {}};
        default:
            return {};
    }
}

// The number of places and names each of the dictionary commands takes.
std::optional<std::size_t> FixedCount(Subcommand subcommand, const char*& form) {
    switch (subcommand) {
        case Subcommand::kDump:
            form = "dump PLACE FILE DIR";
            return 3;
        case Subcommand::kLoad:
            form = "load DIR PLACE FILE";
            return 3;
        case Subcommand::kDiff:
            form = "diff PLACE_A PLACE_B FILE";
            return 3;
        case Subcommand::kApply:
            form = "apply FROM TO FILE";
            return 3;
        case Subcommand::kEquates:
            form = "equates PLACE FILE";
            return 2;
        default:
            return std::nullopt;
    }
}

std::string Quoted(const std::string& word) {
    return Concat({"'", word, "'"});
}

// Checks the number of arguments a subcommand takes.
bool ArgumentsFit(const CommandLine& line, std::string& usageError) {
    const std::size_t count = line.arguments.size();
    switch (line.subcommand) {
        case Subcommand::kExec:
            if (count == 0) {
                usageError = "EXEC needs the command to run, such as EXEC \"SSELECT DICT ORDERS\"";
                return false;
            }
            return true;
        case Subcommand::kExport:
            if (count == 0) {
                usageError = "export needs the name of the file whose dictionary to export";
                return false;
            }
            if (count > 2) {
                usageError = Concat({"export takes a file name and at most one output path, not ",
                                     Quoted(line.arguments[2])});
                return false;
            }
            return true;
        case Subcommand::kCheck:
        case Subcommand::kNone:
            return true;
        case Subcommand::kHistory:
            if (count < 2 || count > 3) {
                usageError =
                    "the command is written history PLACE FILE [ID] (see kelvora-cmd "
                    "history --help)";
                return false;
            }
            return true;
        case Subcommand::kList:
            if (count < 2) {
                usageError =
                    "the command is written list PLACE FILE [FIELD ...] (see kelvora-cmd list "
                    "--help)";
                return false;
            }
            return true;
        default:
            break;
    }
    const char* form = "";
    if (const auto fixed = FixedCount(line.subcommand, form); fixed && count != *fixed) {
        usageError = Concat({"the command is written ", form, " (see kelvora-cmd ",
                             std::string(form).substr(0, std::string(form).find(' ')), " --help)"});
        return false;
    }
    return true;
}

constexpr const char* kReadAheadNeeds = " needs a whole number from 1 to 4096";

// The window of --read-ahead, or 0 when the value is not one.
int ReadAheadOf(const std::string& value) {
    if (value.empty() || value.size() > 4 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const int window = std::stoi(value);
    return window >= 1 && window <= 4096 ? window : 0;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& words,
                                            std::string& usageError) {
    usageError.clear();
    CommandLine line;
    std::size_t i = 0;
    for (; i < words.size() && IsOption(words[i]); ++i) {
        const std::string& word = words[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (IsHelp(word)) {
            line.help = true;
            return line;
        }
        if (word == "--tls") {
            line.tls = true;
            continue;
        }
        const bool account = word == "-a" || word == "--account";
        const bool type = word == "-t" || word == "--type";
        const bool host = word == "-H" || word == "--host";
        const bool user = word == "-u" || word == "--user";
        const bool ca = word == "--ca";
        const bool readAhead = word == "--read-ahead";
        if (!account && !type && !host && !user && !ca && !readAhead) {
            usageError = Concat({"unknown option ", Quoted(word), " (see kelvora-cmd --help)"});
            return std::nullopt;
        }
        if (i + 1 == words.size()) {
            usageError = Concat({"option ", word,
                                 account     ? " needs an account folder"
                                 : type      ? " needs a database type"
                                 : host      ? " needs a host name, as HOST or HOST:PORT"
                                 : ca        ? " needs a file of CA certificates (PEM)"
                                 : readAhead ? kReadAheadNeeds
                                             : " needs a user name"});
            return std::nullopt;
        }
        const std::string& value = words[++i];
        if (account) {
            line.account = value;
        } else if (host) {
            line.host = value;
        } else if (user) {
            line.user = value;
        } else if (readAhead) {
            line.readAhead = ReadAheadOf(value);
            if (line.readAhead == 0) {
                usageError = Concat({"option ", word, kReadAheadNeeds});
                return std::nullopt;
            }
        } else if (ca) {
            line.caFile = value;
            line.tls = true;  // a CA file is only of use to check a server's certificate
        } else if (const auto kind = core::KindOf(value)) {
            line.kind = *kind;
        } else {
            usageError =
                Concat({"unknown database type ", Quoted(value), " (UniVerse or UniData)"});
            return std::nullopt;
        }
    }
    if (line.tls && line.host.empty()) {
        usageError = "--tls and --ca need a server (-H HOST)";
        return std::nullopt;
    }
    if (i == words.size()) {
        usageError = "no command given (see kelvora-cmd --help)";
        return std::nullopt;
    }
    line.subcommand = SubcommandOf(words[i]);
    if (line.subcommand == Subcommand::kNone) {
        usageError = Concat({"unknown command ", Quoted(words[i]),
                             " (EXEC, export, check, dump, load, diff, apply, equates or list)"});
        return std::nullopt;
    }
    bool optionsEnded = false;
    for (++i; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && IsHelp(word)) {
            line.help = true;
            return line;
        } else if (!optionsEnded && IsOption(word)) {
            const OwnOptions own = OwnOptionsOf(line.subcommand);
            const std::size_t equals = word.find('=');
            const std::string name = word.substr(0, equals);
            if (equals == std::string::npos && own.switches.count(word) != 0) {
                line.switches.insert(word);
                continue;
            }
            if (own.valued.count(name) != 0) {
                if (equals != std::string::npos) {
                    line.values[name] = word.substr(equals + 1);
                } else if (i + 1 < words.size()) {
                    line.values[name] = words[++i];
                } else {
                    usageError = Concat({"option ", word, " needs a value"});
                    return std::nullopt;
                }
                line.repeated[name].push_back(line.values[name]);
                continue;
            }
            usageError = Concat({"unknown option ", Quoted(word),
                                 " (options go before the command; '--' ends them)"});
            return std::nullopt;
        } else {
            line.arguments.push_back(word);
        }
    }
    if (!ArgumentsFit(line, usageError)) {
        return std::nullopt;
    }
    return line;
}

}  // namespace cli

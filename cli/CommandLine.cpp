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
    return Subcommand::kNone;
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
        usageError = Concat({"unknown command ", Quoted(words[i]), " (EXEC, export or check)"});
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

// SPDX-License-Identifier: MIT
#include "cli/Cli.h"

#include <ostream>

#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/DictionaryCommands.h"
#include "cli/ExecCommand.h"
#include "cli/ExportCommand.h"
#include "cli/UsageText.h"

namespace cli {

int RunCli(const std::vector<std::string>& words, const Environment& env) {
    std::string usageError;
    const std::optional<CommandLine> line = ParseCommandLine(words, usageError);
    if (!line) {
        env.err << "kelvora-cmd: " << usageError << '\n';
        env.err.flush();
        return kExitUsage;
    }
    if (line->help) {
        env.out << UsageText(line->subcommand);
        env.out.flush();
        return kExitOk;
    }
    switch (line->subcommand) {
        case Subcommand::kExec:
            return ExecCommand(env).Run(*line);
        case Subcommand::kExport:
            return ExportCommand(env).Run(*line);
        case Subcommand::kCheck:
            return CheckCommand(env).Run(*line);
        case Subcommand::kDump:
            return RunDump(*line, env);
        case Subcommand::kLoad:
        case Subcommand::kApply:
            return RunApply(*line, env);
        case Subcommand::kDiff:
            return RunDiff(*line, env);
        case Subcommand::kEquates:
            return RunEquates(*line, env);
        case Subcommand::kList:
            return RunList(*line, env);
        case Subcommand::kHistory:
            return RunHistory(*line, env);
        case Subcommand::kNone:
            break;
    }
    env.out << UsageText(Subcommand::kNone);
    return kExitUsage;
}

}  // namespace cli

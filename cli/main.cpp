// SPDX-License-Identifier: MIT
// kelvora-cmd: the command-line companion of Kelvora. Everything it does is in the cli
// library; this file only hands it the arguments, the standard streams and the names of
// the error codes from the constants file beside the executable.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/PasswordPrompt.h"
#include "cli/ProgramFolder.h"
#include "core/DataFiles.h"
#include "core/ErrorTable.h"

int main(int argc, char** argv) {
    // Ids and listings are bytes: nothing may be converted on the way out, and the C++
    // streams need not keep in step with C's stdio.
    std::ios::sync_with_stdio(false);
    std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);

    const std::string constantsFile =
        core::DataFilePath(cli::ProgramFolder(), core::kConstantsFileName);
    core::ErrorTable errorNames;
    const bool named = errorNames.Load(constantsFile);

    cli::Environment env{std::cout,
                         std::cerr,
                         named ? &errorNames : nullptr,
                         ::isatty(STDERR_FILENO) == 1,
                         ::isatty(STDOUT_FILENO) == 1,
                         {},
                         {},
                         named ? std::string() : constantsFile,
                         false,
                         {}};
    if (const char* password = std::getenv("KELVORA_PASSWORD_TO")) {
        env.passwordVariableTo = std::string(password);
    }
    if (const char* password = std::getenv("KELVORA_PASSWORD")) {
        env.passwordVariable = std::string(password);
    }
    env.askPassword = cli::AskPasswordOnTerminal;
    const int status = cli::RunCli(words, env);
    std::cout.flush();
    return status;
}

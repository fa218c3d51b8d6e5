// SPDX-License-Identifier: MIT
#pragma once

#include "cli/CommandLine.h"
#include "cli/Environment.h"

namespace cli {

// EXEC: runs one command on the account through the session's command object and prints
// its response, and after a select the ids of select list 0.
class ExecCommand {
public:
    explicit ExecCommand(const Environment& env) : env_(env) {}
    int Run(const CommandLine& line);

private:
    const Environment& env_;
};

}  // namespace cli

// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "cli/CommandLine.h"
#include "cli/Environment.h"

namespace cli {

// export: the program's export of one dictionary (the same select, the same listing
// core, so the same bytes) to a file or to standard output.
class ExportCommand {
public:
    explicit ExportCommand(const Environment& env) : env_(env) {}
    int Run(const CommandLine& line);

private:
    // The progress line on standard error, rewritten in place, at most every tenth of a
    // second; Clear() rubs it out.
    class ProgressLine;

    const Environment& env_;
};

}  // namespace cli

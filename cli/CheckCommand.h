// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "cli/CommandLine.h"
#include "cli/DictionaryCheck.h"
#include "cli/Environment.h"

namespace mv {
class DictionaryFile;
class Session;
}  // namespace mv

namespace cli {

// check: compiles every I and V descriptor of the named dictionaries (default: all of
// the account) without writing anything, and reports what fails, what the program
// would refuse and what is worth a look, one line each, then a summary.
class CheckCommand {
public:
    explicit CheckCommand(const Environment& env) : env_(env) {}
    int Run(const CommandLine& line);

private:
    struct Totals {
        std::size_t dictionaries = 0, items = 0, descriptors = 0, failed = 0, refused = 0,
                    notes = 0, unopened = 0;
    };

    // Checks the dictionary of fileName and prints its lines; false when it cannot be
    // opened or listed (reported on standard error).
    bool CheckOne(const std::string& account, const std::string& fileName, Totals& totals);
    // The same through the session, for a server: the items are selected and read, then
    // compiled here.
    bool CheckThroughSession(mv::Session& session, mv::DictionaryFile& file,
                             const std::string& fileName, Totals& totals);
    void AddReport(const std::string& fileName, const DictionaryReport& report, Totals& totals);
    void PrintFinding(const std::string& fileName, const Finding& finding);
    void PrintSummary(const Totals& totals);

    const Environment& env_;
};

}  // namespace cli

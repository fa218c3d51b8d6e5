// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include <algorithm>
#include <ostream>

#include "cli/Concat.h"
#include "cli/VisibleText.h"
#include "platform/mv/AccountListing.h"
#include "platform/mv/Session.h"

namespace cli {
namespace {

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    return Concat({std::to_string(n), " ", n == 1 ? one : many});
}

}  // namespace

int CheckCommand::Run(const CommandLine& line) {
    mv::Session session;
    // The check writes nothing: temporary files left by interrupted saves are listed,
    // not removed as a session's first open of a dictionary would.
    session.SetSweepTemporaryFiles(false);
    if (!ConnectAccount(session, line, env_)) {
        return kExitFailure;
    }
    std::vector<std::string> fileNames = line.arguments;
    if (fileNames.empty() && !line.host.empty()) {
        ReportFailure(env_, "a server lists no dictionaries: name the files to check");
        return kExitUsage;
    }
    if (fileNames.empty()) {
        fileNames = mv::ListDictionaries(line.account);
    } else {
        std::sort(fileNames.begin(), fileNames.end());
        fileNames.erase(std::unique(fileNames.begin(), fileNames.end()), fileNames.end());
    }

    Totals totals;
    for (const std::string& fileName : fileNames) {
        // Opened through the session first, so a missing or unreadable dictionary is
        // reported with the code the program would show.
        const std::shared_ptr<mv::DictionaryFile> file = session.OpenDictionary(fileName);
        if (!file) {
            ReportError(env_, session.Error(), fileName);
            ++totals.unopened;
            continue;
        }
        const bool checked = line.host.empty()
                                 ? CheckOne(line.account, fileName, totals)
                                 : CheckThroughSession(session, *file, fileName, totals);
        if (!checked) {
            ++totals.unopened;
        }
    }
    PrintSummary(totals);
    env_.out.flush();
    if (!env_.out) {
        return ReportFailure(env_, "standard output could not be written");
    }
    const bool clean = totals.failed == 0 && totals.refused == 0 && totals.unopened == 0;
    return clean ? kExitOk : kExitFailure;
}

bool CheckCommand::CheckOne(const std::string& account, const std::string& fileName,
                            Totals& totals) {
    DictionaryReport report;
    if (const int error = DictionaryCheck::Run(account, fileName, report); error != 0) {
        ReportError(env_, error, fileName);
        return false;
    }
    AddReport(fileName, report, totals);
    return true;
}

bool CheckCommand::CheckThroughSession(mv::Session& session, mv::DictionaryFile& file,
                                       const std::string& fileName, Totals& totals) {
    mv::ServerCommand& command = session.Command();
    command.SetText(Concat({"SSELECT DICT ", fileName}));
    command.Exec();
    if (command.Error() != 0) {
        ReportError(env_, command.Error(), fileName);
        return false;
    }
    std::vector<std::pair<std::string, std::string>> items;
    DictionaryReport report;
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file.SetRecordId(id);
        file.Read();
        if (file.Error() != 0) {
            report.findings.push_back({Finding::Kind::kRefused, id,
                                       Concat({"refused: the item cannot be read (error ",
                                               std::to_string(file.Error()), ")"})});
            continue;
        }
        items.emplace_back(std::move(id), file.Record().Text());
    }
    DictionaryCheck::CheckItems(items, report);
    AddReport(fileName, report, totals);
    return true;
}

void CheckCommand::AddReport(const std::string& fileName, const DictionaryReport& report,
                             Totals& totals) {
    ++totals.dictionaries;
    totals.items += report.items;
    totals.descriptors += report.descriptors;
    for (const Finding& finding : report.findings) {
        switch (finding.kind) {
            case Finding::Kind::kFailed:
                ++totals.failed;
                break;
            case Finding::Kind::kRefused:
                ++totals.refused;
                break;
            case Finding::Kind::kNote:
                ++totals.notes;
                break;
        }
        PrintFinding(fileName, finding);
    }
}

void CheckCommand::PrintFinding(const std::string& fileName, const Finding& finding) {
    WriteVisible(env_.out, fileName);
    env_.out << ' ';
    WriteVisible(env_.out, finding.item);
    env_.out << ": ";
    WriteVisible(env_.out, finding.text);
    env_.out << '\n';
}

void CheckCommand::PrintSummary(const Totals& totals) {
    env_.out << Count(totals.dictionaries, "dictionary", "dictionaries") << ", "
             << Count(totals.items, "item", "items") << ": "
             << Count(totals.descriptors, "descriptor", "descriptors") << " checked, "
             << totals.failed << " failed; " << totals.refused << " refused, "
             << Count(totals.notes, "note", "notes");
    if (totals.unopened != 0) {
        env_.out << "; " << totals.unopened << " could not be opened";
    }
    env_.out << '\n';
}

}  // namespace cli

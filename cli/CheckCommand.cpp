// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include <fcntl.h>

#include <algorithm>
#include <ostream>

#include "cli/Concat.h"
#include "cli/VisibleText.h"
#include "platform/mv/AccountListing.h"
#include "platform/mv/AccountNames.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/compiler/ItemSource.h"

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
    if (!ConnectAccount(session, line, env_))
        return kExitFailure;
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
        if (!checked)
            ++totals.unopened;
    }
    PrintSummary(totals);
    env_.out.flush();
    if (!env_.out)
        return ReportFailure(env_, "standard output could not be written");
    const bool clean = totals.failed == 0 && totals.refused == 0 && totals.unopened == 0;
    return clean ? kExitOk : kExitFailure;
}

bool CheckCommand::CheckOne(const std::string& account, const std::string& fileName,
                            Totals& totals) {
    std::string directoryName;
    mv::DictionaryDirectoryName(fileName, directoryName);  // the session accepted the name
    const std::string path = Concat({account, "/", directoryName});
    const mv::UniqueFd directory(
        ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    DictionaryReport report;
    if (!directory.Valid() || !DictionaryCheck(directory.Get()).Run(report)) {
        ReportError(env_, mv::kDictionaryUnreadable, fileName);
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
    mv::MapItemSource items;
    std::vector<std::string> ids;
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
        items.Add(id, file.Record().Text());
        ids.push_back(std::move(id));
    }
    DictionaryCheck::CheckItems(items, std::move(ids), report);
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
    if (totals.unopened != 0)
        env_.out << "; " << totals.unopened << " could not be opened";
    env_.out << '\n';
}

}  // namespace cli

// SPDX-License-Identifier: MIT
#include <algorithm>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/PlaceItems.h"
#include "core/DictionaryDiff.h"
#include "core/FieldMerge.h"
#include "core/JournalFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"

namespace cli {

using core::RecordsDiffer;
using core::ShownValue;

namespace {

struct Step {
    enum class Kind { Add, Change, Delete };
    Kind kind = Kind::Add;
    std::string id;
    const std::string* record = nullptr;  // FROM's, for Add and Change
    std::optional<std::string> before;    // TO's as the plan read it
};

std::vector<Step> PlanOf(const ItemMap& from, const ItemMap& to, bool deleteOthers, bool compiled) {
    std::vector<Step> plan;
    for (const auto& [id, record] : from) {
        const auto there = to.find(id);
        if (there == to.end()) {
            plan.push_back({Step::Kind::Add, id, &record, std::nullopt});
        } else if (RecordsDiffer(record, there->second, compiled)) {
            plan.push_back({Step::Kind::Change, id, &record, there->second});
        }
    }
    if (deleteOthers) {
        for (const auto& [id, record] : to) {
            if (from.count(id) == 0) {
                plan.push_back({Step::Kind::Delete, id, nullptr, record});
            }
        }
    }
    return plan;
}

void WritePlan(std::ostream& out, const std::vector<Step>& plan, const std::string& target) {
    for (const Step& step : plan) {
        out << (step.kind == Step::Kind::Add      ? "add "
                : step.kind == Step::Kind::Change ? "change "
                                                  : "delete ")
            << ShownValue(step.id) << '\n';
    }
    out << plan.size() << (plan.size() == 1 ? " item" : " items") << " to write or delete in "
        << target << '\n';
}

// Makes one step under the item's lock, after checking that the item is still as the plan
// read it; with merge, an item changed since then takes FROM's changes on top of the
// account's when no field was changed on both sides. False, reported, when the item is
// locked, changed (beyond a merge) or the write fails.
bool Make(mv::DictionaryFile& file, const Step& step, const std::string& target, bool merge,
          core::JournalFile& journal, const Environment& env) {
    const std::string shown = ShownValue(step.id);
    file.SetRecordId(step.id);
    file.ReadForUpdate();
    const int read = file.Error();
    if (read == mv::kRecordLocked) {
        ReportFailure(env, Concat({shown, " is locked by another user in ", target}));
        return false;
    }
    if (read != mv::kOk && read != mv::kRecordNotFound) {
        file.ReleaseRecord();
        ReportError(env, read, Concat({target, " item ", shown}));
        return false;
    }
    const std::optional<std::string> now =
        read == mv::kOk ? std::optional<std::string>(file.Record().Text()) : std::nullopt;
    std::optional<std::string> writing =
        step.kind == Step::Kind::Delete ? std::nullopt : std::optional<std::string>(*step.record);
    if (now != step.before) {
        const core::MergePlan plan = core::MergeRecords(step.before, now, writing);
        if (!merge || plan.conflict) {
            file.ReleaseRecord();
            ReportFailure(env,
                          Concat({shown, " was changed in ", target, " since the plan was read",
                                  merge ? " in a field this apply changes too" : "",
                                  "; it and the items after it are not written"}));
            return false;
        }
        writing = plan.merged;
        env.out << "merged " << shown << " with the change made in " << target << '\n';
    }
    if (!writing && !now) {
        file.ReleaseRecord();  // deleted there already
        return true;
    }
    // Journaled before it is made, as the window journals its saves, so History and
    // undo there offer it.
    const std::uint64_t change =
        journal.Begin(core::ChangeOrigin::Edit, file.FileName(), step.id, now, writing);
    if (!writing) {
        file.DeleteRecord();
    } else {
        file.SetRecord(mv::DynamicArray(*writing));
        file.Write();
    }
    journal.Finish(
        change, file.Error() == mv::kOk ? core::ChangeOutcome::Done : core::ChangeOutcome::Failed);
    if (file.Error() != mv::kOk) {
        file.ReleaseRecord();
        ReportError(env, file.Error(), Concat({target, " item ", shown}));
        return false;
    }
    return true;
}

// Compiles the I and V items written: one CD for the ids without blanks, one for each
// id with (CD splits its words on blanks). False, with every line that is no success
// reported, when any did not compile.
bool CompileWritten(mv::Session& session, const std::string& fileName,
                    const std::vector<std::string>& ids, const Environment& env) {
    std::vector<std::string> commands;
    std::string plain;
    for (const std::string& id : ids) {
        if (id.find(' ') != std::string::npos) {
            commands.push_back(Concat({"CD ", fileName, " ", id}));
        } else {
            plain += " " + id;
        }
    }
    if (!plain.empty()) {
        commands.push_back(Concat({"CD ", fileName, plain}));
    }
    bool compiled = true;
    for (const std::string& text : commands) {
        mv::ServerCommand& command = session.Command();
        command.SetText(text);
        command.Exec();
        const std::string& response = command.Response();
        if (command.Error() == 0 && response.find(", 0 failed.") != std::string::npos) {
            continue;
        }
        compiled = false;
        std::size_t start = 0;
        while (start < response.size()) {
            const std::size_t end = std::min(response.find('\n', start), response.size());
            const std::string_view shown(response.data() + start, end - start);
            if (shown.size() < 11 || shown.substr(shown.size() - 11) != ": compiled.") {
                ReportFailure(env, Concat({"CD ", fileName, ": ", std::string(shown)}));
            }
            start = end + 1;
        }
        if (command.Error() != 0) {
            ReportError(env, command.Error(), Concat({"CD ", fileName}));
        }
    }
    return compiled;
}

}  // namespace

int RunApply(const CommandLine& line, const Environment& env) {
    const bool load = line.subcommand == Subcommand::kLoad;
    const std::string& fileName = line.arguments[2];
    std::string why;
    const std::optional<Place> from = ParsePlace(line.arguments[0], why);
    const std::optional<Place> to = from ? ParsePlace(line.arguments[1], why) : std::nullopt;
    if (!from || !to) {
        ReportFailure(env, why);
        return kExitError;
    }
    if (load && from->kind != Place::Kind::DumpFolder) {
        ReportFailure(env,
                      Concat({from->text, " is no dump folder (it has no ", kDumpListName, ")"}));
        return kExitError;
    }
    if (to->kind == Place::Kind::DumpFolder) {
        ReportFailure(env, Concat({to->text, " is a dump folder: write one with dump"}));
        return kExitError;
    }
    ItemMap fromItems;
    if (!ReadPlace(*from, fileName, line, env, false, fromItems)) {
        return kExitError;
    }
    mv::Session session;
    ItemMap toItems;
    std::shared_ptr<mv::DictionaryFile> file;
    if (!ConnectPlace(session, *to, line, env, from->kind == Place::Kind::Server) ||
        !ReadDictionary(session, fileName, toItems, env, &file)) {
        return kExitError;
    }
    const std::vector<Step> plan =
        PlanOf(fromItems, toItems, !load && line.switches.count("--delete") != 0,
               line.switches.count("--compiled") != 0);
    WritePlan(env.out, plan, to->text);
    env.out.flush();
    if (line.switches.count("--plan") != 0 || plan.empty()) {
        return plan.empty() ? kExitOk : kExitDiffer;
    }
    core::JournalFile journal(core::JournalFile::AccountKeyOf(session));
    std::vector<std::string> descriptors;
    for (const Step& step : plan) {
        if (!Make(*file, step, to->text, line.switches.count("--merge") != 0, journal, env)) {
            return kExitError;
        }
        if (step.kind != Step::Kind::Delete && core::IsCompiledDescriptor(*step.record)) {
            descriptors.push_back(step.id);
        }
    }
    if (!journal.Problem().empty()) {
        ReportFailure(env, Concat({"the changes are made but not journaled (History and undo "
                                   "in the window will not offer them): ",
                                   journal.Problem()}));
    }
    env.out << (load ? "loaded " : "applied ") << plan.size()
            << (plan.size() == 1 ? " item" : " items") << " to " << to->text << '\n';
    env.out.flush();
    // A load puts back the bytes of a dump as they were; an apply makes the descriptors
    // it wrote usable at once.
    if (!load && !CompileWritten(session, fileName, descriptors, env)) {
        return kExitError;
    }
    return kExitDiffer;
}

}  // namespace cli

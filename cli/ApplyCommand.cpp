// SPDX-License-Identifier: MIT
#include <algorithm>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/FieldLines.h"
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
    enum class Kind { Add, Change, Delete, Keep };
    Kind kind = Kind::Add;
    std::string id;
    // FROM's, for Add and Change; the write takes it over (a large item is not copied
    // again), so nothing reads it after its step is made.
    std::string* record = nullptr;
    std::optional<std::string> before;  // TO's as the plan read it
};

// How the apply compares: its fields (all, or without the compiled form of I and V
// items) and whether empty fields at the end count.
struct Rules {
    bool compiled = false;
    core::Comparison how = core::Comparison::Shown;
};

// The steps, in id order: the items of FROM to add or change, then those only in TO,
// to delete or (Keep, which writes nothing) left as they are.
std::vector<Step> PlanOf(ItemMap& from, const ItemMap& to, bool deleteOthers, const Rules& rules) {
    std::vector<Step> plan;
    for (auto& [id, record] : from) {
        const auto there = to.find(id);
        if (there == to.end()) {
            plan.push_back({Step::Kind::Add, id, &record, std::nullopt});
        } else if (RecordsDiffer(there->second, record, rules.compiled, rules.how)) {
            plan.push_back({Step::Kind::Change, id, &record, there->second});
        }
    }
    for (const auto& [id, record] : to) {
        if (from.count(id) == 0) {
            plan.push_back(
                {deleteOthers ? Step::Kind::Delete : Step::Kind::Keep, id, nullptr, record});
        }
    }
    return plan;
}

const char* VerbOf(Step::Kind kind) {
    switch (kind) {
        case Step::Kind::Add:
            return "add";
        case Step::Kind::Change:
            return "change";
        case Step::Kind::Delete:
            return "delete";
        case Step::Kind::Keep:
            break;
    }
    return "keep";
}

std::size_t WritesOf(const std::vector<Step>& plan) {
    return static_cast<std::size_t>(std::count_if(
        plan.begin(), plan.end(), [](const Step& step) { return step.kind != Step::Kind::Keep; }));
}

// Each step, a change with its fields as diff shows them (TO's value -> FROM's), so a
// field the apply turns back is seen before it is written.
void WritePlan(std::ostream& out, const std::vector<Step>& plan, const std::string& fileName,
               const std::string& target, const Rules& rules, bool load) {
    for (const Step& step : plan) {
        out << VerbOf(step.kind) << ' ' << ShownValue(step.id);
        if (step.kind == Step::Kind::Keep) {
            out << " (only in " << target << (load ? ")" : "; --delete deletes it)");
        }
        out << '\n';
        if (step.kind == Step::Kind::Change) {
            WriteFieldLines(out, core::DiffRecords(step.id, *step.before, *step.record, fileName,
                                                   rules.compiled, rules.how));
        }
    }
    const std::size_t writes = WritesOf(plan);
    out << writes << (writes == 1 ? " item" : " items") << " to write or delete in " << target
        << '\n';
}

// "add ADDED, change CHANGED": what the steps before a stop made, for its report.
std::string MadeBefore(const std::vector<Step>& plan, std::size_t stop) {
    std::string made;
    for (std::size_t i = 0; i < stop; ++i) {
        if (plan[i].kind != Step::Kind::Keep) {
            made += Concat(
                {made.empty() ? "" : ", ", VerbOf(plan[i].kind), " ", ShownValue(plan[i].id)});
        }
    }
    return made;
}

// A step checked under its item's lock and ready to be made: FROM's record (or a merge),
// or none for a delete.
struct Ready {
    Step* step = nullptr;
    std::optional<std::string> now;     // the account's, as read under the lock
    std::optional<std::string> merged;  // FROM's changes on top of the account's
    bool fromMerge = false;             // merged is written (none: the item is deleted)

    // What is written; null: the item is deleted.
    std::string* Writing() {
        if (fromMerge) {
            return merged ? &*merged : nullptr;
        }
        return step->kind == Step::Kind::Delete ? nullptr : step->record;
    }
};

enum class Checked { Ready, NothingToDo, Stop };

// Takes the item's lock and checks that it is still as the plan read it (compared as
// `how` says: under Shown, empty fields added or dropped at its end are no change, and the
// step still writes FROM's exact bytes); with merge, an item changed since then takes
// FROM's changes on top of the account's when no field was changed on both sides. Stop,
// reported, when the item is locked, unreadable or changed (beyond a merge); the lock is
// then released. Ready keeps the lock for the write.
Checked Check(mv::DictionaryFile& file, Step& step, const std::string& target, bool merge,
              core::Comparison how, const Environment& env, Ready& ready) {
    const std::string shown = ShownValue(step.id);
    file.SetRecordId(step.id);
    file.ReadForUpdate();
    const int read = file.Error();
    if (read == mv::kRecordLocked) {
        ReportFailure(env, Concat({shown, " is ", file.LockedByWords(), " in ", target}));
        return Checked::Stop;
    }
    if (read != mv::kOk && read != mv::kRecordNotFound) {
        file.ReleaseRecord();
        ReportError(env, read, Concat({target, " item ", shown}));
        return Checked::Stop;
    }
    ready.step = &step;
    ready.now = read == mv::kOk ? std::optional<std::string>(file.Record().Text()) : std::nullopt;
    // FROM's record is written from where it lies; a copy is made only for a merge.
    if (core::ItemsDiffer(ready.now, step.before, how)) {
        const std::string* from = ready.Writing();
        const core::MergePlan plan = core::MergeRecords(
            step.before, ready.now, from ? std::optional<std::string>(*from) : std::nullopt, how);
        if (!merge || plan.conflict) {
            file.ReleaseRecord();
            ReportFailure(env,
                          Concat({shown, " was changed in ", target, " since the plan was read",
                                  merge ? " in a field this apply changes too" : "",
                                  "; it and the items after it are not written"}));
            return Checked::Stop;
        }
        ready.merged = plan.merged;
        ready.fromMerge = true;
        env.out << "merged " << shown << " with the change made in " << target << '\n';
    }
    if (!ready.Writing() && !ready.now) {
        file.ReleaseRecord();  // deleted there already
        return Checked::NothingToDo;
    }
    return Checked::Ready;
}

// Makes a batch of checked steps, their locks held since the check: journaled first, all
// in one flush, as the window journals its saves (so History and undo there offer them);
// then written together, each item whole, with one flush to disk for all; then their
// outcomes journaled. False, reported, when a write failed.
bool MakeBatch(mv::Session& session, mv::DictionaryFile& file, std::vector<Ready>& batch,
               const std::string& target, core::JournalFile& journal, const Environment& env) {
    if (batch.empty()) {
        return true;
    }
    std::vector<core::JournalFile::BatchChange> changes;
    changes.reserve(batch.size());
    for (Ready& ready : batch) {
        changes.push_back({&ready.step->id, ready.now ? &*ready.now : nullptr, ready.Writing()});
    }
    const std::vector<std::uint64_t> numbers =
        journal.BeginBatch(core::ChangeOrigin::Edit, file.FileName(), changes);
    const std::shared_ptr<mv::Backend> backend = session.ActiveBackend();
    if (backend) {
        backend->BeginWriteBatch();
    }
    std::vector<int> errors(batch.size(), mv::kOk);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        Ready& ready = batch[i];
        file.SetRecordId(ready.step->id);
        std::string* writing = ready.Writing();
        if (!writing) {
            file.DeleteRecord();
        } else {
            file.SetRecord(mv::DynamicArray(std::move(*writing)));
            file.Write();
            file.SetRecord(mv::DynamicArray(std::string()));
        }
        errors[i] = file.Error();
        if (errors[i] != mv::kOk) {
            file.ReleaseRecord();
        }
    }
    const int ended = backend ? backend->EndWriteBatch() : mv::kOk;
    std::vector<std::pair<std::uint64_t, core::ChangeOutcome>> outcomes;
    bool made = true;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const int error = errors[i] != mv::kOk ? errors[i] : ended;
        outcomes.emplace_back(
            numbers[i], error == mv::kOk ? core::ChangeOutcome::Done : core::ChangeOutcome::Failed);
        if (error != mv::kOk && made) {
            ReportError(env, error, Concat({target, " item ", ShownValue(batch[i].step->id)}));
            made = false;
        }
    }
    journal.FinishBatch(outcomes);
    batch.clear();
    return made;
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
    const Rules rules{line.switches.count("--compiled") != 0, line.switches.count("--exact") != 0
                                                                  ? core::Comparison::Exact
                                                                  : core::Comparison::Shown};
    std::vector<Step> plan =
        PlanOf(fromItems, toItems, !load && line.switches.count("--delete") != 0, rules);
    WritePlan(env.out, plan, fileName, to->text, rules, load);
    env.out.flush();
    const std::size_t writes = WritesOf(plan);
    if (line.switches.count("--plan") != 0 || writes == 0) {
        return writes == 0 ? kExitOk : kExitDiffer;
    }
    core::JournalFile journal(core::JournalFile::AccountKeyOf(session));
    if (!session.HostName().empty()) {
        journal.SetUser(session.UserName());
    }
    journal.PrepareForAppends();  // before any item is locked
    std::vector<std::string> descriptors;
    // Items are checked and locked a batch at a time, and made together: the journal and
    // the disk are flushed once per batch, not once per item.
    constexpr std::size_t kBatchItems = 512;
    constexpr std::size_t kBatchBytes = 1u << 20;
    std::vector<Ready> batch;
    std::size_t batchBytes = 0;
    const bool merge = line.switches.count("--merge") != 0;
    for (std::size_t i = 0; i <= plan.size(); ++i) {
        Checked checked = Checked::NothingToDo;
        Ready ready;
        if (i < plan.size() && plan[i].kind != Step::Kind::Keep) {
            checked = Check(*file, plan[i], to->text, merge, rules.how, env, ready);
        }
        if (checked == Checked::Ready) {
            batchBytes += ready.Writing() ? ready.Writing()->size() : 0;
            if (plan[i].kind != Step::Kind::Delete && core::IsCompiledDescriptor(*plan[i].record)) {
                descriptors.push_back(plan[i].id);
            }
            batch.push_back(std::move(ready));
        }
        const bool last = i == plan.size() || checked == Checked::Stop;
        if ((last || batch.size() >= kBatchItems || batchBytes >= kBatchBytes) &&
            !MakeBatch(session, *file, batch, to->text, journal, env)) {
            ReportFailure(env,
                          Concat({"the items of the plan after it are not written to ", to->text,
                                  "; the journal names every change that may "
                                  "have reached it"}));
            return kExitError;
        }
        batchBytes = batch.empty() ? 0 : batchBytes;
        if (checked == Checked::Stop) {
            const std::string made = MadeBefore(plan, i);
            ReportFailure(env, made.empty() ? Concat({"nothing was written to ", to->text})
                                            : Concat({"already made in ", to->text,
                                                      " before the stop: ", made}));
            return kExitError;
        }
    }
    if (!journal.Problem().empty()) {
        ReportFailure(env, Concat({"the changes are made but not journaled (History and undo "
                                   "in the window will not offer them): ",
                                   journal.Problem()}));
    }
    env.out << (load ? "loaded " : "applied ") << writes << (writes == 1 ? " item" : " items")
            << " to " << to->text << '\n';
    env.out.flush();
    // A load puts back the bytes of a dump as they were; an apply makes the descriptors
    // it wrote usable at once.
    if (!load && !CompileWritten(session, fileName, descriptors, env)) {
        return kExitError;
    }
    // Done as asked: a deployment script under `set -e` goes on.
    return kExitOk;
}

}  // namespace cli

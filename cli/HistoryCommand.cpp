// SPDX-License-Identifier: MIT
#include <algorithm>
#include <ctime>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/FieldLines.h"
#include "cli/PlaceItems.h"
#include "core/DictionaryDiff.h"
#include "core/History.h"
#include "platform/mv/Session.h"

namespace cli {

namespace {

using core::ChangeOrigin;
using core::ChangeOutcome;
using core::JournalEntry;

constexpr const char* kOrigins[] = {"edit", "undo", "redo", "restore", "automatic", "copy"};

const char* OriginOf(const JournalEntry& change) {
    const auto origin = static_cast<std::size_t>(change.origin);
    return origin < std::size(kOrigins) ? kOrigins[origin] : "edit";
}

const char* WhatOf(const JournalEntry& change) {
    return !change.after ? "deleted" : change.before ? "saved" : "created";
}

const char* OutcomeOf(const JournalEntry& change) {
    switch (change.outcome) {
        case ChangeOutcome::Done:
            return "done";
        case ChangeOutcome::Failed:
            return "failed";
        case ChangeOutcome::Unknown:
            break;
    }
    return "unknown";
}

std::string TimeText(std::int64_t msecs, bool utc) {
    const auto seconds = static_cast<std::time_t>(msecs / 1000);
    std::tm parts{};
    if ((utc ? ::gmtime_r(&seconds, &parts) : ::localtime_r(&seconds, &parts)) == nullptr) {
        return "?";
    }
    char text[32];
    std::strftime(text, sizeof text, utc ? "%Y-%m-%dT%H:%M:%SZ" : "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

// The fields a save changed, as diff names them; none for a created or deleted item.
std::vector<core::FieldDifference> FieldsOf(const JournalEntry& change, const std::string& file) {
    if (!change.before || !change.after) {
        return {};
    }
    return core::DiffRecords(change.id, *change.before, *change.after, file, /*compiled=*/false);
}

void WriteText(std::ostream& out, const std::vector<JournalEntry>& changes,
               const std::string& file) {
    for (const JournalEntry& change : changes) {
        out << TimeText(change.msecsSinceEpoch, false) << "  "
            << (change.user.empty() ? std::string("(unknown user)") : core::ShownValue(change.user))
            << "  " << OriginOf(change) << "  " << core::ShownValue(change.id) << ' '
            << WhatOf(change);
        if (change.outcome == ChangeOutcome::Failed) {
            out << " (refused: the account does not hold it)";
        } else if (change.outcome == ChangeOutcome::Unknown) {
            out << " (not known to have reached the account)";
        }
        out << '\n';
        WriteFieldLines(out, FieldsOf(change, file));
    }
}

std::string JsonValue(const std::optional<std::string>& value) {
    return value ? JsonString(*value) : std::string("null");
}

void WriteJson(std::ostream& out, const std::vector<JournalEntry>& changes,
               const std::string& file) {
    out << '[';
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const JournalEntry& change = changes[i];
        out << (i == 0 ? "\n " : ",\n ") << "{\"when\": \""
            << TimeText(change.msecsSinceEpoch, true) << "\", \"user\": " << JsonString(change.user)
            << ", \"origin\": \"" << OriginOf(change) << "\", \"outcome\": \"" << OutcomeOf(change)
            << "\", \"id\": " << JsonString(change.id) << ", \"what\": \"" << WhatOf(change)
            << "\", \"fields\": [";
        const std::vector<core::FieldDifference> fields = FieldsOf(change, file);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            out << (f == 0 ? "" : ", ") << "{\"field\": " << fields[f].number
                << ", \"caption\": " << JsonString(fields[f].caption)
                << ", \"before\": " << JsonValue(fields[f].a)
                << ", \"after\": " << JsonValue(fields[f].b) << '}';
        }
        out << "]}";
    }
    out << (changes.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int RunHistory(const CommandLine& line, const Environment& env) {
    std::string why;
    const std::optional<Place> place = ParsePlace(line.arguments[0], why);
    if (!place) {
        ReportFailure(env, why);
        return kExitError;
    }
    if (place->kind == Place::Kind::DumpFolder) {
        ReportFailure(env, Concat({place->text, " is a dump folder, which keeps no history"}));
        return kExitError;
    }
    mv::Session session;
    if (!ConnectPlace(session, *place, line, env, false)) {
        return kExitError;
    }
    const std::string& file = line.arguments[1];
    const std::string id = line.arguments.size() > 2 ? line.arguments[2] : "";
    bool thisComputerOnly = false;
    std::vector<JournalEntry> changes = core::AccountHistory(session, file, id, thisComputerOnly);
    if (thisComputerOnly) {
        env.err << "kelvora-cmd: the server keeps no history: these are the changes made from "
                   "this computer only\n";
        env.err.flush();
    }
    std::reverse(changes.begin(), changes.end());
    if (line.switches.count("--json") != 0) {
        WriteJson(env.out, changes, file);
    } else {
        WriteText(env.out, changes, file);
    }
    env.out.flush();
    return kExitOk;
}

}  // namespace cli

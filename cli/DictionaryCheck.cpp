// SPDX-License-Identifier: MIT
#include "cli/DictionaryCheck.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string_view>

#include "cli/Concat.h"
#include "core/Classification.h"
#include "core/ViewCaptions.h"
#include "platform/mv/DescriptorCheck.h"
#include "platform/mv/DictionaryInspection.h"

namespace cli {
namespace {

std::string Quoted(std::string_view text) {
    return Concat({"\"", text, "\""});
}

std::string Count(long long n, std::string_view unit) {
    return Concat({std::to_string(n), " ", unit, n == 1 ? "" : "s"});
}

// An age in the largest whole unit that fits: "40 seconds", "3 hours", "12 days".
std::string Age(std::chrono::seconds age) {
    const long long s = age.count();
    if (s < 60) {
        return Count(s, "second");
    }
    if (s < 3600) {
        return Count(s / 60, "minute");
    }
    if (s < 48 * 3600) {
        return Count(s / 3600, "hour");
    }
    return Count(s / 86400, "day");
}

// The check only lists debris; removing it is left to the engine's next open. The pid in
// a name says whether the save still runs only on the computer (and in the container)
// that made it: that is this one when the writer is Running or Ended.
std::string DebrisNote(const mv::TemporaryFile& debris) {
    using Writer = mv::TemporaryFileWriter;
    std::string note = Concat({"note: a temporary file left by a save that did not finish (",
                               Age(debris.age), " old, ", Count(debris.size, "byte"), "); "});
    if (debris.writer == Writer::Ended) {
        return note +
               "its process has ended, so the next session on this computer to open "
               "this dictionary removes it";
    }
    if (mv::IsStaleTemporaryFile(debris)) {
        return note + "the next session to open this dictionary removes it";
    }
    const std::string older = Age(mv::kStaleTemporaryFileAge);
    switch (debris.writer) {
        case Writer::Running:
            return Concat({note,
                           "kept while its process still runs and may be writing it, "
                           "removed once that process ends or the file is older than ",
                           older});
        case Writer::OtherHost:
            return Concat({note,
                           "made on another computer or container, whose processes "
                           "this one cannot see: kept while a save may still be writing "
                           "it, removed once older than ",
                           older});
        default:
            return Concat({note,
                           "kept while a save may still be writing it, removed once "
                           "older than ",
                           older});
    }
}

std::string Refusal(const mv::EntryProblem& problem) {
    using Kind = mv::EntryProblem::Kind;
    switch (problem.kind) {
        case Kind::Link:
            return "refused: the entry is a link, which the program never follows";
        case Kind::NotRegularFile:
            return "refused: the entry is not a regular file, so the program does not see it";
        case Kind::Unreadable:
            return "refused: the item file cannot be read";
        case Kind::HoldsFieldMark:
            return Concat({"refused: the item file holds the byte 0xFE (first at offset ",
                           std::to_string(problem.offset),
                           "), which the program reads as a field mark and would save as a "
                           "line feed"});
        case Kind::NotAnItemName: {
            std::string text =
                "refused: the file name is not one the program gives an item id, "
                "so the program does not see it";
            if (!problem.fileNameForId.empty()) {
                text += Concat({"; for the item id ", Quoted(problem.name), " the file is named ",
                                Quoted(problem.fileNameForId)});
            }
            return text;
        }
        case Kind::TemporaryFile:
        case Kind::HiddenFile:
            break;
    }
    return std::string();
}

Finding FindingOf(const mv::EntryProblem& problem) {
    switch (problem.kind) {
        case mv::EntryProblem::Kind::TemporaryFile:
            return {Finding::Kind::kNote, problem.name, DebrisNote(problem.debris)};
        case mv::EntryProblem::Kind::HiddenFile:
            return {Finding::Kind::kNote, problem.name, "note: a hidden file, not an item"};
        default:
            return {Finding::Kind::kRefused, problem.name, Refusal(problem)};
    }
}

}  // namespace

int DictionaryCheck::Run(const std::string& accountPath, const std::string& fileName,
                         DictionaryReport& report) {
    report = DictionaryReport();
    mv::DictionaryContents contents;
    if (const int error = mv::InspectDictionary(accountPath, fileName, contents); error != 0) {
        return error;
    }
    for (const mv::EntryProblem& problem : contents.problems) {
        report.findings.push_back(FindingOf(problem));
    }
    CheckItems(contents.items, report);
    return 0;
}

void DictionaryCheck::CheckItems(const std::vector<std::pair<std::string, std::string>>& items,
                                 DictionaryReport& report) {
    report.items = items.size();
    for (const auto& [id, record] : items) {
        const std::string code = mv::TypeCodeOfRecord(record);
        if (const std::optional<core::ViewKind> view = core::ViewOfCapitals(code)) {
            report.findings.push_back(
                {Finding::Kind::kNote, id,
                 Concat({"note: type code ", Quoted(code),
                         " is in lower case, so the program shows the item under ",
                         core::TabCaption(core::ViewKind::Other), ", not under ",
                         core::TabCaption(*view)})});
        }
    }
    for (const mv::DescriptorOutcome& outcome : mv::CompileDescriptors(items)) {
        ++report.descriptors;
        if (outcome.outOfMemory) {
            report.findings.push_back({Finding::Kind::kFailed, outcome.id,
                                       "the compiler ran out of memory on this item"});
        } else if (!outcome.compiled) {
            report.findings.push_back(
                {Finding::Kind::kFailed, outcome.id,
                 Concat({"column ", std::to_string(outcome.column), ": ", outcome.message})});
        }
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         return a.item != b.item ? a.item < b.item : a.kind < b.kind;
                     });
}

}  // namespace cli

// SPDX-License-Identifier: MIT
#include <algorithm>
#include <chrono>
#include <memory>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/PlaceItems.h"
#include "cli/RecordListing.h"
#include "core/DictionaryDiff.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/mv/values/FileValues.h"

namespace cli {

namespace {

std::string FieldOf(const std::string& record, int number) {
    return mv::DynamicArray(record).FieldValue(static_cast<std::int16_t>(number));
}

bool IsPickStyle(std::string_view type) {
    return type == "A" || type == "S";
}

// How a report shows the item: a D, I or V item names its heading and format in fields
// 4 and 5; an A or S item its heading in field 3, its justification and width in fields 9
// and 10. (The conversion is FileValues' to apply.)
ListedField FieldShown(const std::string& name, const std::string& record) {
    ListedField field{name, FieldOf(record, 4), FieldOf(record, 5)};
    if (IsPickStyle(mv::values::FileValues::TypeOf(record))) {
        const std::string justification = FieldOf(record, 9);
        field = {name, FieldOf(record, 3),
                 FieldOf(record, 10) + (justification.empty() ? "L" : justification)};
    }
    if (field.heading.empty()) {
        field.heading = name;
    }
    return field;
}

// The items listed when none are named: the @ phrase's, else every D item by location.
std::vector<std::string> DefaultFields(const core::ItemMap& items) {
    const auto phrase = items.find("@");
    if (phrase != items.end() && mv::values::FileValues::TypeOf(phrase->second) == "PH") {
        std::vector<std::string> names;
        const std::string words = FieldOf(phrase->second, 2);
        std::size_t start = 0;
        while (start < words.size()) {
            const std::size_t blank = std::min(words.find(' ', start), words.size());
            if (blank > start && items.count(words.substr(start, blank - start)) != 0) {
                names.push_back(words.substr(start, blank - start));
            }
            start = blank + 1;
        }
        if (!names.empty()) {
            return names;
        }
    }
    std::vector<std::pair<long, std::string>> located;
    for (const auto& [name, record] : items) {
        const std::string location = FieldOf(record, 2);
        if (mv::values::FileValues::TypeOf(record) == "D" && !location.empty() && location != "0" &&
            location.find_first_not_of("0123456789") == std::string::npos && location.size() < 6) {
            located.emplace_back(std::stol(location), name);
        }
    }
    std::sort(located.begin(), located.end());
    std::vector<std::string> names;
    for (const auto& [location, name] : located) {
        names.push_back(name);
    }
    return names;
}

// The ids to list: those named, else the file's records in id order (the first N).
bool RecordIds(mv::Session& session, const std::string& fileName, const CommandLine& line,
               const Environment& env, std::vector<std::string>& ids) {
    const auto named = line.repeated.find("--id");
    if (named != line.repeated.end()) {
        ids = named->second;
        return true;
    }
    mv::ServerCommand& select = session.Command();
    select.SetText(Concat({"SSELECT ", fileName}));
    select.Exec();
    if (select.Error() != 0) {
        ReportError(env, select.Error(), Concat({"SSELECT ", fileName}));
        return false;
    }
    std::size_t limit = std::string::npos;
    if (const auto sample = line.values.find("--sample"); sample != line.values.end()) {
        limit = static_cast<std::size_t>(std::stoul(sample->second));
    }
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead() && ids.size() < limit;
         id = list.Next()) {
        ids.push_back(id);
    }
    return true;
}

// Why a value is not there, for standard error: the reason, or the conversion's note.
void SayWhy(const Environment& env, const std::string& id, const std::string& field,
            const std::string& why) {
    env.err << "kelvora-cmd: " << core::ShownValue(id) << ", " << field << ": " << why << '\n';
}

}  // namespace

int RunList(const CommandLine& line, const Environment& env) {
    std::string why;
    const std::optional<Place> place = ParsePlace(line.arguments[0], why);
    if (!place) {
        ReportFailure(env, why);
        return kExitError;
    }
    if (place->kind == Place::Kind::DumpFolder) {
        ReportFailure(env, Concat({place->text, " is a dump folder, which holds no records"}));
        return kExitError;
    }
    if (const auto sample = line.values.find("--sample");
        sample != line.values.end() &&
        (sample->second.empty() || sample->second.size() > 9 ||
         sample->second.find_first_not_of("0123456789") != std::string::npos)) {
        ReportFailure(env, "--sample needs a whole number of records");
        return kExitUsage;
    }
    const std::string& fileName = line.arguments[1];
    mv::Session session;
    if (!ConnectPlace(session, *place, line, env, false)) {
        return kExitError;
    }
    core::ItemMap items;
    const std::shared_ptr<mv::DictionaryFile> data = session.OpenFile(fileName);
    if (!data) {
        ReportError(env, session.Error(), Concat({"no file ", fileName, " in ", place->text}));
        return kExitError;
    }
    if (!ReadDictionary(session, fileName, items, env)) {
        return kExitError;
    }
    std::vector<std::string> names(line.arguments.begin() + 2, line.arguments.end());
    if (names.empty()) {
        names = DefaultFields(items);
    }
    std::vector<ListedField> fields;
    for (const std::string& name : names) {
        const auto item = items.find(name);
        if (item == items.end() || !mv::values::FileValues::IsField(item->second)) {
            ReportFailure(env,
                          Concat({item == items.end() ? "no item " : "not a D, A, S, I or V item: ",
                                  core::ShownValue(name), " in the dictionary of ", fileName}));
            return kExitError;
        }
        fields.push_back(FieldShown(name, item->second));
    }
    std::vector<std::string> ids;
    if (!RecordIds(session, fileName, line, env, ids)) {
        return kExitError;
    }

    mv::values::FileValues values(
        session, fileName,
        std::unordered_map<std::string, std::string>(items.begin(), items.end()));
    const bool tsv = line.switches.count("--tsv") != 0;
    bool anyFailed = false;
    std::vector<std::string> notedCodes;
    std::vector<ListedRow> rows;
    for (std::size_t n = 0; n < ids.size(); ++n) {
        ListedRow row{ids[n], std::vector<std::string>(fields.size()),
                      std::vector<bool>(fields.size(), false)};
        data->SetRecordId(ids[n]);
        data->Read();
        const int read = data->Error();
        const std::string record = read == mv::kOk ? data->Record().Text() : std::string();
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (read != mv::kOk) {
                row.failed[f] = true;
                continue;
            }
            const mv::values::Evaluated value =
                values.Value(fields[f].name, ids[n], record, static_cast<int>(n + 1));
            if (!value.Ok()) {
                row.failed[f] = true;
                anyFailed = true;
                SayWhy(env, ids[n], fields[f].name, value.error);
                continue;
            }
            const mv::values::Converted converted = values.Shown(fields[f].name, value.value);
            row.values[f] = converted.value;
            if (!converted.note.empty() && std::find(notedCodes.begin(), notedCodes.end(),
                                                     fields[f].name) == notedCodes.end()) {
                notedCodes.push_back(fields[f].name);
                SayWhy(env, ids[n], fields[f].name, converted.note);
            }
        }
        if (read != mv::kOk) {
            anyFailed = true;
            SayWhy(env, ids[n], "@ID",
                   read == mv::kRecordNotFound
                       ? Concat({"no such record in ", fileName})
                       : Concat({"cannot be read (code ", std::to_string(read), ")"}));
        }
        rows.push_back(std::move(row));
    }
    env.out << (tsv ? TabSeparatedOf(rows) : ReportOf(fields, rows));
    env.out.flush();
    env.err.flush();
    return anyFailed ? kExitDiffer : kExitOk;
}

}  // namespace cli

// SPDX-License-Identifier: MIT
#include <algorithm>
#include <chrono>
#include <memory>
#include <ostream>
#include <set>

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

// The records of the ids, and on a server the values of the I and V items as the server
// works them out (ITYPE): all asked for together, so the reads and the server's values
// cost one round trip. One list of the server's results per field (empty for other
// fields, and when the server does not evaluate descriptors, which is said once).
mv::RecordsGiven RecordsAndServerValues(mv::Session& session, const Environment& env,
                                        const mv::DictionaryFile& data, bool onServer,
                                        const std::vector<ListedField>& fields,
                                        const core::ItemMap& items,
                                        const std::vector<std::string>& ids,
                                        std::vector<std::vector<mv::ItypeResult>>& server) {
    std::vector<std::string> evaluated;
    std::vector<std::size_t> fieldOf;
    for (std::size_t f = 0; f < fields.size() && onServer; ++f) {
        const std::string_view type = mv::values::FileValues::TypeOf(items.at(fields[f].name));
        if (type == "I" || type == "V") {
            evaluated.push_back(fields[f].name);
            fieldOf.push_back(f);
        }
    }
    mv::RecordsGiven given = session.ReadTogether(&data, data.FileName(), ids, ids, evaluated);
    server.assign(fields.size(), {});
    for (std::size_t k = 0; k < evaluated.size(); ++k) {
        if (!given.values[k].empty() && given.values[k].front().code == mv::kUnknownFunction) {
            env.err << "kelvora-cmd: the server does not evaluate descriptors (ITYPE): the "
                       "values of I and V items are Kelvora's\n";
            server.assign(fields.size(), {});
            break;
        }
        server[fieldOf[k]] = std::move(given.values[k]);
    }
    return given;
}

// Works out each record's row: Kelvora's values, the server's where it gave them (both
// said on standard error where they differ), converted as the items say.
class RowLister {
public:
    RowLister(const Environment& env, const std::string& fileName,
              const std::vector<ListedField>& fields, mv::values::FileValues& values,
              std::vector<std::vector<mv::ItypeResult>> server)
        : env_(env),
          fileName_(fileName),
          fields_(fields),
          values_(values),
          server_(std::move(server)) {}

    ListedRow Row(std::size_t n, const std::string& id, int read, const std::string& record) {
        ListedRow row{id, std::vector<std::string>(fields_.size()),
                      std::vector<bool>(fields_.size(), read != mv::kOk)};
        if (read != mv::kOk) {
            anyFailed_ = true;
            SayWhy(env_, id, "@ID",
                   read == mv::kRecordNotFound
                       ? Concat({"no such record in ", fileName_})
                       : Concat({"cannot be read (code ", std::to_string(read), ")"}));
            return row;
        }
        for (std::size_t f = 0; f < fields_.size(); ++f) {
            const std::string& name = fields_[f].name;
            const mv::values::Evaluated mine =
                values_.Value(name, id, record, static_cast<int>(n + 1));
            const mv::ItypeResult* theirs =
                n < server_[f].size() && server_[f][n].code == mv::kOk ? &server_[f][n] : nullptr;
            if (theirs != nullptr && mine.Ok() && mine.value != theirs->result) {
                SayWhy(env_, id, name,
                       Concat({"the server gives \"", core::ShownValue(theirs->result),
                               "\", Kelvora \"", core::ShownValue(mine.value),
                               "\" (shown: the server's)"}));
            }
            if (theirs == nullptr && !mine.Ok()) {
                row.failed[f] = true;
                anyFailed_ = true;
                SayWhy(env_, id, name, mine.error);
                continue;
            }
            const mv::values::Converted converted =
                values_.Shown(name, theirs != nullptr ? theirs->result : mine.value);
            row.values[f] = converted.value;
            if (!converted.note.empty() && noted_.insert(name).second) {
                SayWhy(env_, id, name, converted.note);
            }
        }
        return row;
    }
    bool AnyFailed() const { return anyFailed_; }

private:
    const Environment& env_;
    const std::string& fileName_;
    const std::vector<ListedField>& fields_;
    mv::values::FileValues& values_;
    std::vector<std::vector<mv::ItypeResult>> server_;
    std::set<std::string> noted_;  // fields whose conversion note was said
    bool anyFailed_ = false;
};

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
    // The data file, the dictionary and the dictionary's ids asked for together: on a
    // server one round trip for the three.
    core::ItemMap items;
    std::vector<int> codes;
    const std::vector<std::shared_ptr<mv::DictionaryFile>> opened = session.OpenTogether(
        {{fileName, false}, {fileName, true}}, Concat({"SSELECT DICT ", fileName}), codes);
    const std::shared_ptr<mv::DictionaryFile>& data = opened[0];
    if (!data) {
        ReportError(env, codes[0], Concat({"no file ", fileName, " in ", place->text}));
        return kExitError;
    }
    if (!opened[1]) {
        ReportError(env, codes[1], fileName);
        return kExitError;
    }
    if (session.Command().Error() != 0) {
        ReportError(env, session.Command().Error(), fileName);
        return kExitError;
    }
    if (!ReadSelectedItems(session, *opened[1], items, env)) {
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
    std::vector<std::vector<mv::ItypeResult>> server;
    const mv::RecordsGiven records = RecordsAndServerValues(
        session, env, *data, place->kind == Place::Kind::Server, fields, items, ids, server);
    RowLister lister{env, fileName, fields, values, std::move(server)};
    std::vector<ListedRow> rows;
    for (std::size_t n = 0; n < ids.size(); ++n) {
        rows.push_back(lister.Row(
            n, ids[n], records.records[n].code,
            records.records[n].code == mv::kOk ? records.records[n].record : std::string()));
    }
    const bool tsv = line.switches.count("--tsv") != 0;
    env.out << (tsv ? TabSeparatedOf(rows) : ReportOf(fields, rows));
    env.out.flush();
    env.err.flush();
    return lister.AnyFailed() ? kExitDiffer : kExitOk;
}

}  // namespace cli

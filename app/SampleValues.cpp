// SPDX-License-Identifier: MIT
#include "app/SampleValues.h"

#include <algorithm>

#include "app/ValueLines.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/mv/values/FileValues.h"

namespace app {

namespace {

using mv::values::FileValues;

std::string FieldOf(const std::string& record, int number) {
    return mv::DynamicArray(record).FieldValue(static_cast<std::int16_t>(number));
}

// Marks in words a user reads, as the grids label them.
std::string Visible(std::string text) {
    for (const auto& [mark, label] : {std::pair<char, const char*>{'\xFD', "[VM]"},
                                      std::pair<char, const char*>{'\xFC', "[SM]"}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
            text.replace(at, 1, label);
        }
    }
    return text;
}

// A line that says something about a cell goes after its last value, so the values of a
// phrase's fields still stand side by side by position.
void Annotate(ValueCell& cell, const std::string& line) {
    cell.back().push_back(Visible(line));
}

// How a report lays the item out: field 5 of a D, I or V item; the width and
// justification (fields 10 and 9) of an A or S item.
std::string FormatOf(const std::string& record) {
    const std::string_view type = FileValues::TypeOf(record);
    if (type == "A" || type == "S") {
        const std::string justification = FieldOf(record, 9);
        const std::string width = FieldOf(record, 10);
        return width.empty() ? std::string()
                             : width + (justification.empty() ? "L" : justification);
    }
    return FieldOf(record, 5);
}

// The item's values on the records, with the server's answers where there are any.
class ValueWork {
public:
    ValueWork(mv::Session& session, const ValuesQuery& query, ItemSnapshot items)
        : items_(std::move(items)), values_(session, query.file, items_) {}

    // The cell of the item shown, and in `stored` its internal value.
    ValueCell Shown(const std::string& item, const SampleRecord& record, int number,
                    const mv::ItypeResult* server, ValueCell* stored) {
        const mv::values::Evaluated mine = values_.Value(item, record.id, record.record, number);
        const bool fromServer = server != nullptr && server->code == mv::kOk;
        if (!fromServer && !mine.Ok()) {
            return {{mine.error}};
        }
        const std::string& internal = fromServer ? server->result : mine.value;
        if (stored != nullptr) {
            *stored = CellOf(internal, std::string());
        }
        ValueCell cell = Converted(item, internal);
        if (fromServer && !mine.Ok()) {
            Annotate(cell, "Kelvora: " + mine.error);
        } else if (fromServer && mine.value != server->result) {
            const mv::values::Converted kelvora = values_.Shown(item, mine.value);
            Annotate(cell, "Kelvora: " + kelvora.value);
        } else if (server != nullptr && !fromServer) {
            Annotate(cell, "Kelvora's; the server: " + (server->result.empty()
                                                            ? "code " + std::to_string(server->code)
                                                            : server->result));
        }
        for (const std::string& warning : mine.warnings) {
            Annotate(cell, warning);
        }
        return cell;
    }

private:
    ValueCell Converted(const std::string& item, const std::string& internal) {
        const mv::values::Converted converted = values_.Shown(item, internal);
        ValueCell cell = CellOf(converted.value, FormatOf(items_.at(item)));
        if (!converted.note.empty()) {
            Annotate(cell, converted.note);
        }
        return cell;
    }

    ItemSnapshot items_;
    FileValues values_;
};

std::vector<std::string> PhraseFields(const std::string& phrase, const ItemSnapshot& items) {
    std::vector<std::string> names;
    const std::string words = FieldOf(phrase, 2);
    std::size_t start = 0;
    while (start < words.size()) {
        const std::size_t blank = std::min(words.find(' ', start), words.size());
        const std::string word = words.substr(start, blank - start);
        const auto item = items.find(word);
        if (!word.empty() && item != items.end() && FileValues::IsField(item->second)) {
            names.push_back(word);
        }
        start = blank + 1;
    }
    return names;
}

std::string ReadFailure(const SampleRecord& record) {
    return record.read == mv::kRecordNotFound
               ? std::string("no such record")
               : "cannot be read (code " + std::to_string(record.read) + ")";
}

}  // namespace

std::vector<SavedItem> ItemsForServer(const ValuesQuery& query) {
    const std::string_view type = FileValues::TypeOf(query.record);
    if (query.typed || (type != "I" && type != "V" && type != "PH")) {
        return {};
    }
    if (type != "PH") {
        return {{query.item, query.record}};
    }
    ItemSnapshot items = query.items ? *query.items : ItemSnapshot();
    items.insert_or_assign(query.item, query.record);
    std::vector<SavedItem> evaluated;
    for (const std::string& field : PhraseFields(query.record, items)) {
        const std::string_view fieldType = FileValues::TypeOf(items.at(field));
        const auto same = [&](const SavedItem& item) { return item.name == field; };
        if ((fieldType == "I" || fieldType == "V") &&
            std::none_of(evaluated.begin(), evaluated.end(), same)) {
            evaluated.push_back({field, items.at(field)});
        }
    }
    return evaluated;
}

std::string ValuesText(mv::Session& session, const ValuesQuery& query,
                       const std::vector<SampleRecord>& records, bool serverValues,
                       const ServerValues& serverGiven) {
    ItemSnapshot items = query.items ? *query.items : ItemSnapshot();
    items.insert_or_assign(query.item, query.record);
    const std::string_view type = FileValues::TypeOf(query.record);
    const bool phrase = type == "PH";
    if (!phrase && !FileValues::IsField(query.record)) {
        return type.empty() ? "Type the item's type (D, I, ...) to see its values.\n"
                            : query.item + " is a " + std::string(type) +
                                  " item, not a field of the records: it has no values.\n";
    }
    const std::vector<std::string> fields =
        phrase ? PhraseFields(query.record, items) : std::vector<std::string>{query.item};
    if (fields.empty()) {
        return "The phrase names no D, A, S, I or V item of this dictionary.\n";
    }
    // The server evaluates saved items only: what is typed exists nowhere but here.
    std::string heading = query.item + " on " + std::to_string(records.size()) + " record" +
                          (records.size() == 1 ? "" : "s") + " of " + query.file;
    std::vector<std::vector<mv::ItypeResult>> server(fields.size());
    const bool evaluated = type == "I" || type == "V" || phrase;
    if (query.typed) {
        heading += serverValues && evaluated ? ": as typed, not saved; worked out by Kelvora"
                                             : ": as typed, not saved";
    } else if (serverValues && evaluated) {
        heading += ": I and V values from the server";
        const std::vector<SavedItem> asked = ItemsForServer(query);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const auto at = std::find_if(asked.begin(), asked.end(), [&](const SavedItem& item) {
                return item.name == fields[f];
            });
            if (at == asked.end() ||
                static_cast<std::size_t>(at - asked.begin()) >= serverGiven.size()) {
                continue;
            }
            server[f] = serverGiven[static_cast<std::size_t>(at - asked.begin())];
            if (server[f].size() != records.size() ||
                (!server[f].empty() && server[f].front().code == mv::kUnknownFunction)) {
                heading = query.item + " on " + std::to_string(records.size()) + " records of " +
                          query.file +
                          ": the server does not evaluate descriptors, "
                          "the values are Kelvora's";
                server.assign(fields.size(), {});
                break;
            }
        }
    }

    ValueWork work(session, query, std::move(items));
    std::vector<std::string> headings{"@ID"};
    if (phrase) {
        headings.insert(headings.end(), fields.begin(), fields.end());
    } else {
        headings.push_back(evaluated ? "Internal" : "Stored");
        headings.push_back("Shown");
    }
    std::vector<std::vector<ValueCell>> rows;
    for (std::size_t n = 0; n < records.size(); ++n) {
        const SampleRecord& record = records[n];
        std::vector<ValueCell> row{{{record.id}}};
        if (record.read != mv::kOk) {
            row.push_back({{ReadFailure(record)}});
            rows.push_back(std::move(row));
            continue;
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const mv::ItypeResult* theirs = n < server[f].size() ? &server[f][n] : nullptr;
            ValueCell stored;
            ValueCell shown =
                work.Shown(fields[f], record, static_cast<int>(n + 1), theirs, &stored);
            if (!phrase) {
                row.push_back(std::move(stored));
            }
            row.push_back(std::move(shown));
        }
        rows.push_back(std::move(row));
    }
    return heading + "\n\n" + TableText(headings, rows);
}

}  // namespace app

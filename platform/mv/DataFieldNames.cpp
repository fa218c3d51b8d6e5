// SPDX-License-Identifier: MIT
#include "platform/mv/DataFieldNames.h"

#include <charconv>
#include <optional>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/DirectoryItemSource.h"

namespace mv {
namespace {

// The highest field a name may locate: beyond any record a file system holds sensibly.
constexpr int kMaxLocation = 1'000'000;

bool Location(std::string_view text, int& field) {
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), field);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() &&
           field >= 0 && field <= kMaxLocation;
}

// The justification a format or justification field names: R for right, else left.
Justification JustificationOf(std::string_view format) {
    for (const char c : format) {
        if (c == 'R' || c == 'r') {
            return Justification::kRight;
        }
        if (c == 'L' || c == 'l' || c == 'T' || c == 't' || c == 'C' || c == 'c') {
            break;
        }
    }
    return Justification::kLeft;
}

// Resolves one name; on failure says why in message.
bool Resolve(DirectoryItemSource* dictionary, const std::string& name, SortKey& key,
             std::string& message) {
    const std::string* item = dictionary != nullptr ? dictionary->Find(name) : nullptr;
    if (item == nullptr) {
        if (UpperCase(name) == "@ID") {
            key.field = 0;
            key.justification = Justification::kLeft;
            return true;
        }
        message = "\"" + name + "\" is not in the file's dictionary: name a D item or @ID.";
        return false;
    }
    const std::string type = UpperCase(FieldText(*item, 1).substr(0, 1));
    const bool pick = type == "A" || type == "S";
    if (type != "D" && !pick) {
        message = "\"" + name +
                  "\" is not a D, A or S item: only fields of the record can be selected and "
                  "sorted by.";
        return false;
    }
    if (pick && !FieldText(*item, 8).empty()) {
        message = "\"" + name +
                  "\" has a correlative: only fields of the record can be "
                  "selected and sorted by.";
        return false;
    }
    if (!Location(FieldText(*item, 2), key.field)) {
        message = "\"" + name + "\" has no field number in its field 2.";
        return false;
    }
    key.justification = JustificationOf(FieldText(*item, pick ? 9 : 5));
    return true;
}

}  // namespace

int ResolveDataNames(int dictionaryFd, SelectCommand& command, std::string& message) {
    std::optional<DirectoryItemSource> dictionary;
    if (dictionaryFd >= 0) {
        dictionary.emplace(dictionaryFd);
    }
    DirectoryItemSource* items = dictionary ? &*dictionary : nullptr;
    for (std::size_t i = 0; i < command.keys.size(); ++i) {
        const bool descending = command.keys[i].descending;
        if (!Resolve(items, command.keyNames[i], command.keys[i], message)) {
            return kUnknownSortName;
        }
        command.keys[i].descending = descending;
    }
    for (std::vector<Condition>& group : command.selection.anyOf) {
        for (Condition& condition : group) {
            if (!Resolve(items, condition.name, condition.field, message)) {
                return kUnknownSortName;
            }
            condition.resolved = true;
        }
    }
    return kOk;
}

}  // namespace mv

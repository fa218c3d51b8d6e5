// SPDX-License-Identifier: MIT
// TRANS and XLATE: fields of records of other files, read through the caller's source.
#include <optional>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/OtherFiles.h"
#include "platform/mv/values/eval/RecordEvaluation.h"

namespace mv::values {
namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') + 1 - first));
}

bool NoSuchFile(int code) {
    return code == kNoSuchDictionary || code == kBadFileName || code == kNoSuchFile ||
           code == kInvalidFileName;
}

// The field asked for by number: -1 the whole record, 0 the id.
std::optional<long> FieldNumber(const std::string& field) {
    const std::optional<BasicNumber> number = BasicNumber::Parse(field);
    if (field.empty() || !number || Compare(*number, number->Truncated()) != 0) {
        return std::nullopt;
    }
    const std::optional<long long> whole = number->ToInteger();
    if (!whole || *whole < -1 || *whole > 1'000'000'000) {
        return 1'000'000'001;  // past any record: empty
    }
    return static_cast<long>(*whole);
}

}  // namespace

int CountingSource::Read(const std::string& file, bool dictionary, const std::string& id,
                         std::string& record) {
    costs_.Read();
    const int code = source_.Read(file, dictionary, id, record);
    costs_.Fits(record.size());
    return code;
}

const std::string* OtherDictionary::Find(const std::string& id) {
    auto found = items_.find(id);
    if (found == items_.end()) {
        Read read;
        read.code = source_.Read(file_, true, id, read.record);
        found = items_.emplace(id, std::move(read)).first;
    }
    return found->second.code == kOk ? &found->second.record : nullptr;
}

bool OtherDictionary::Unreadable(const std::string& id) {
    const auto found = items_.find(id);
    return found != items_.end() && found->second.code != kOk &&
           found->second.code != kRecordNotFound;
}

ItemSource* RecordEvaluation::DictionaryOf(const std::string& file) {
    std::unique_ptr<OtherDictionary>& dictionary = dictionaries_[file];
    if (!dictionary) {
        dictionary = std::make_unique<OtherDictionary>(*records_, file);
    }
    return dictionary.get();
}

Value RecordEvaluation::Translate(RecordScope& scope, const std::string& fileArgument,
                                  const std::string& ids, const std::string& fieldArgument,
                                  const std::string& codeArgument) {
    std::string file = Trimmed(fileArgument);
    bool dictionary = false;
    if (UpperCase(file.substr(0, 5)) == "DICT ") {
        dictionary = true;
        file = Trimmed(file.substr(5));
    }
    if (file.empty()) {
        file = scope.fileName;
    }
    const std::string code = UpperCase(Trimmed(codeArgument).substr(0, 1));
    if (!code.empty() && code != "X" && code != "C" && code != "V" && code != "N") {
        throw EvaluationError{"TRANS: the code " + codeArgument + " is none of X, C, V and N"};
    }
    if (!records_) {
        throw EvaluationError{"TRANS: no account to read " + file + " from"};
    }
    const std::string field = Trimmed(fieldArgument);
    const std::optional<long> number = FieldNumber(field);
    if (!number && field.empty()) {
        throw EvaluationError{"TRANS: no field named to read from " + file};
    }

    const std::vector<std::string_view> keys = SplitOn(ids, kValueMark);
    std::string out;
    std::string record;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string key(keys[i]);
        std::string value;
        bool found = false;
        if (!key.empty()) {
            const int read = records_->Read(file, dictionary, key, record);
            if (NoSuchFile(read)) {
                throw EvaluationError{"TRANS: no file " + file + " in this account"};
            }
            if (read != kOk && read != kRecordNotFound) {
                throw EvaluationError{"TRANS: " + file + " cannot be read (error " +
                                      std::to_string(read) + ")"};
            }
            found = read == kOk;
        }
        if (found && number) {
            if (*number == -1) {
                value = record;
            } else if (*number == 0) {
                value = key;
            } else {
                value = std::string(FieldText(record, static_cast<int>(*number)));
            }
        } else if (found) {
            ItemSource* items = DictionaryOf(file);
            if (items->Find(field) == nullptr) {
                throw EvaluationError{"TRANS: no item " + field + " in the dictionary of " + file};
            }
            RecordScope other;
            other.fileName = file;
            other.dictionary = items;
            other.id = key;
            other.record = record;
            value = Item(other, field, false).text;
        } else if (code == "V") {
            throw EvaluationError{"TRANS: no record " + key + " in " + file};
        } else if (code == "C" || code == "N") {
            value = key;
        }
        if (found && code == "N" && value.empty()) {
            value = key;
        }
        // With several ids, each record's values become subvalues of its own value.
        if (keys.size() > 1) {
            for (char& c : value) {
                if (c == kValueMark) {
                    c = kSubvalueMark;
                }
            }
        }
        costs_.Fits(out.size() + value.size() + 1);
        if (i != 0) {
            out.push_back(kValueMark);
        }
        out += value;
    }
    return Value::Text(std::move(out));
}

}  // namespace mv::values

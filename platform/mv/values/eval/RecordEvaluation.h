// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/RecordSource.h"
#include "platform/mv/values/eval/Costs.h"
#include "platform/mv/values/eval/OtherFiles.h"
#include "platform/mv/values/eval/Value.h"

namespace mv::values {

class OtherDictionary;

// The field number field 2 of a D, A or S item gives (`written` trimmed of blanks): a
// whole number from 0, however it is written (2, 2.0, 2E0); nullopt for anything else.
std::optional<long long> FieldNumberOf(std::string_view written);

// One record of one file, as names and @-variables see it.
struct RecordScope {
    std::string fileName;
    ItemSource* dictionary = nullptr;
    std::string_view id;
    std::string_view record;
    std::unordered_map<std::string, Value> items;  // I/V items already evaluated on it
};

// The evaluation of one record: its costs, the chain of I/V items being evaluated (for
// cycles), and the reads of other files. Items of other files reached through TRANS are
// evaluated in their own scope under the same limits. The context is the caller's, and
// outlives the evaluation.
class RecordEvaluation {
public:
    explicit RecordEvaluation(const EvaluationContext& context);
    ~RecordEvaluation();
    RecordEvaluation(const RecordEvaluation&) = delete;
    RecordEvaluation& operator=(const RecordEvaluation&) = delete;

    Costs& costs() { return costs_; }
    const EvaluationContext& context() const { return context_; }

    // The internal value of dictionary item `name` on the scope's record.
    // `keep`: whether an I or V item's value is kept for the names that follow; false for
    // an item asked for alone, after which nothing reads the scope.
    Value Item(RecordScope& scope, const std::string& name, bool keep = true);
    // The expressions of `source` (separated by ';'), parsed as the compiler parses them;
    // `item` is the record of the item they belong to (for @CONV, @FORMAT, @HEADER), or null.
    Value Expression(RecordScope& scope, std::string_view source, const std::string* item);
    // TRANS and XLATE: field `field` (a number, -1 for the whole record, or an item name of
    // that file's dictionary) of the records `ids` (value-mark separated) of file `file`.
    Value Translate(RecordScope& scope, const std::string& file, const std::string& ids,
                    const std::string& field, const std::string& code);

    // Reads other records for the conversions, counting each read against the limits;
    // null when the caller gave no record source.
    RecordSource* Records();

private:
    Value FieldOf(RecordScope& scope, const std::string& name, const std::string& item);
    ItemSource* DictionaryOf(const std::string& file);

    const EvaluationContext& context_;
    Costs costs_;
    std::optional<CountingSource> records_;
    std::unordered_map<std::string, std::unique_ptr<OtherDictionary>> dictionaries_;
    // The I/V items being evaluated, outermost first: file, record id and name of each,
    // each held by the scope or the caller of the item's evaluation while it is listed.
    struct PathEntry {
        std::string_view file;
        std::string_view id;
        std::string_view name;
    };
    std::vector<PathEntry> path_;
};

}  // namespace mv::values

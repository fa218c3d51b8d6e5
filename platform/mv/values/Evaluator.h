// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mv {
class ItemSource;
}

namespace mv::values {

class RecordSource;

// The parses of the expressions of one dictionary, kept from one record to the next, so a
// listing of thousands of records parses each descriptor once. Valid for one dictionary:
// make a new one when its items change.
class ParseCache {
public:
    ParseCache();
    ~ParseCache();
    ParseCache(const ParseCache&) = delete;
    ParseCache& operator=(const ParseCache&) = delete;

    struct Parsed;  // the tree, or where and why the parse failed
    const Parsed* Find(std::string_view source) const;
    const Parsed& Keep(std::string_view source, Parsed parsed);

private:
    struct Entries;
    std::unique_ptr<Entries> entries_;
};

// Hard limits of one record's evaluation; past any of them the value is the error "too
// costly to evaluate here".
struct EvaluationLimits {
    std::uint64_t steps = 1'000'000;
    int reads = 1000;                   // TRANS, XLATE and T conversion reads
    std::size_t textBytes = 16u << 20;  // intermediate text held at once
    int depth = 32;                     // I/V items naming I/V items
};

// What an evaluation needs besides the record.
struct EvaluationContext {
    std::string fileName;              // @FILENAME, and the file TRANS of "" or @FILENAME reads
    ItemSource* dictionary = nullptr;  // the file's dictionary: the items names resolve to
    RecordSource* records = nullptr;   // TRANS, XLATE, T; null: those give an error
    std::chrono::system_clock::time_point now;  // @DATE @TIME @DAY @MONTH @YEAR
    int recordNumber = 1;                       // @NI: the record's place in the list, from 1
    EvaluationLimits limits{};
    ParseCache* parses = nullptr;  // the dictionary's parses kept between records; optional
};

// A value, or why there is none. On error `value` is empty; warnings come with a value
// ("a non-numeric operand counts as 0: ABC").
struct Evaluated {
    std::string value;
    std::string error;
    std::vector<std::string> warnings;
    bool Ok() const { return error.empty(); }
};

// The internal value (never converted by field 3) of dictionary item `item` on record
// (`id`, `record`): a D, A or S item gives its field (location 0: the id), an I or V item
// its expression (field 2, parsed as the compiler parses it) evaluated; an I/V item named
// in it is evaluated in turn, a cycle is an error naming the items in it.
Evaluated EvaluateItem(const std::string& item, const std::string& id, const std::string& record,
                       const EvaluationContext& context);

// An expression that is not (or not yet) an item's, as typed: the same rules.
Evaluated EvaluateExpression(std::string_view expression, const std::string& id,
                             const std::string& record, const EvaluationContext& context);

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/RecordEvaluation.h"

#include <optional>

#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/CompileLimits.h"
#include "platform/mv/compiler/CompileMessages.h"
#include "platform/mv/compiler/ExprLexer.h"
#include "platform/mv/compiler/ExprParser.h"
#include "platform/mv/compiler/ExprTree.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"
#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/eval/OtherFiles.h"
#include "platform/mv/values/eval/ParsedExpression.h"
#include "platform/mv/values/eval/TreeWalk.h"

namespace mv::values {
namespace {

// The names of a scope's dictionary, as the compiler asks for them.
class ScopeNames final : public NameResolver {
public:
    explicit ScopeNames(ItemSource* items) : items_(items) {}

    std::optional<std::string_view> TypeCode(std::string_view name) override {
        if (items_ == nullptr || name.size() > kMaxItemIdBytes) {
            return std::nullopt;
        }
        key_.assign(name);
        const std::string* record = items_->Find(key_);
        if (record == nullptr) {
            return std::nullopt;
        }
        return TypeCodeOf(*record);
    }
    bool Unreadable(std::string_view name) override {
        key_.assign(name);
        return items_ != nullptr && items_->Unreadable(key_);
    }

private:
    ItemSource* items_;
    std::string key_;
};

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

}  // namespace

std::optional<long long> FieldNumberOf(std::string_view written) {
    // Plain digits, as nearly every item has them, read directly.
    if (!written.empty() && written.size() <= 9 &&
        written.find_first_not_of("0123456789") == std::string_view::npos) {
        long long number = 0;
        for (const char c : written) {
            number = number * 10 + (c - '0');
        }
        return number;
    }
    const std::optional<BasicNumber> location = BasicNumber::Parse(written);
    const std::optional<long long> number = location ? location->ToInteger() : std::nullopt;
    if (written.empty() || !number || *number < 0 ||
        Compare(*location, location->Truncated()) != 0) {
        return std::nullopt;
    }
    return number;
}

RecordEvaluation::RecordEvaluation(const EvaluationContext& context)
    : context_(context), costs_(context.limits) {
    if (context_.records != nullptr) {
        records_.emplace(*context_.records, costs_);
    }
}

RecordEvaluation::~RecordEvaluation() = default;

RecordSource* RecordEvaluation::Records() {
    return records_ ? &*records_ : nullptr;
}

Value RecordEvaluation::Item(RecordScope& scope, const std::string& name, bool keep) {
    const std::string* item = scope.dictionary ? scope.dictionary->Find(name) : nullptr;
    if (item == nullptr) {
        if (scope.dictionary != nullptr && scope.dictionary->Unreadable(name)) {
            throw EvaluationError{name + ": the item cannot be read"};
        }
        throw EvaluationError{"no item " + name + " in the dictionary" +
                              (scope.fileName.empty() ? "" : " of " + scope.fileName)};
    }
    const std::string_view type = TypeCodeOf(*item);
    if (!IsFieldType(type)) {
        throw EvaluationError{name + " is not a field: its type is " +
                              (type.empty() ? std::string("empty") : std::string(type))};
    }
    if (!IsDescriptorType(type)) {
        return FieldOf(scope, name, *item);
    }
    // Only I and V items are kept: a field is quicker to take again than to look up.
    if (const auto cached = scope.items.find(name); cached != scope.items.end()) {
        return cached->second;
    }
    for (std::size_t i = 0; i < path_.size(); ++i) {
        const PathEntry& entry = path_[i];
        if (entry.name == name && entry.file == scope.fileName && entry.id == scope.id) {
            std::string cycle;
            for (std::size_t k = i; k < path_.size(); ++k) {
                cycle += path_[k].name;
                cycle += " -> ";
            }
            throw EvaluationError{"a circular reference: " + cycle + name};
        }
    }
    costs_.Enter();
    path_.push_back({scope.fileName, scope.id, name});
    Value value = Expression(scope, FieldText(*item, 2), item);
    path_.pop_back();
    costs_.Leave();
    value.reuse = false;
    costs_.Hold(value.text.size());
    if (keep) {
        scope.items.emplace(name, value);
    }
    return value;
}

Value RecordEvaluation::FieldOf(RecordScope& scope, const std::string& name,
                                const std::string& item) {
    const std::string_view written = Trimmed(FieldText(item, 2));
    const std::optional<long long> number = FieldNumberOf(written);
    if (!number) {
        throw EvaluationError{name + ": field 2 holds no field number (" + std::string(written) +
                              ")"};
    }
    std::string value;
    if (*number == 0) {
        value = std::string(scope.id);
    } else if (*number <= 1'000'000'000) {
        value = std::string(FieldText(scope.record, static_cast<int>(*number)));
    }
    const std::string_view type = TypeCodeOf(item);
    const std::string_view correlative =
        type == "A" || type == "S" ? FieldText(item, 8) : std::string_view();
    if (!correlative.empty()) {
        costs_.Step(value.size());
        Converted converted = Oconv(value, correlative, Records());
        if (!converted.note.empty()) {
            throw EvaluationError{name + ": " + converted.note};
        }
        costs_.Fits(converted.value.size());
        value = std::move(converted.value);
    }
    return Value::Text(std::move(value));
}

Value RecordEvaluation::Expression(RecordScope& scope, std::string_view source,
                                   const std::string* item) {
    if (source.size() > kMaxExpressionBytes) {
        throw EvaluationError{"column " + std::to_string(kMaxExpressionBytes + 1) + ": " +
                              messages::TooLong(kMaxExpressionBytes)};
    }
    costs_.Step(source.size());
    // The parse depends on the names of the dictionary: kept only for the context's own.
    ParseCache* cache = scope.dictionary == context_.dictionary ? context_.parses : nullptr;
    const ParseCache::Parsed* parsed = cache != nullptr ? cache->Find(source) : nullptr;
    ParseCache::Parsed fresh;
    if (parsed == nullptr) {
        ScopeNames names(scope.dictionary);
        std::vector<Token> tokens = Tokenize(
            source, [&names](std::string_view name) { return names.TypeCode(name).has_value(); });
        std::vector<Dependency> uses;
        fresh.outcome = ParseExpressions(tokens, names, fresh.tree, uses);
        parsed = cache != nullptr ? &cache->Keep(source, std::move(fresh)) : &fresh;
    }
    if (!parsed->outcome.ok) {
        throw EvaluationError{"column " + std::to_string(parsed->outcome.offset + 1) + ": " +
                              parsed->outcome.message};
    }
    return TreeWalk(parsed->tree, *this, scope, item).Run();
}

}  // namespace mv::values

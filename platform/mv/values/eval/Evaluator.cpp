// SPDX-License-Identifier: MIT
#include "platform/mv/values/Evaluator.h"

#include <new>
#include <optional>

#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"
#include "platform/mv/values/eval/RecordEvaluation.h"

namespace mv::values {
namespace {

// Runs one evaluation and turns what stopped it into the error of the value.
template <typename Run>
Evaluated Evaluate(const std::string& id, const std::string& record,
                   const EvaluationContext& context, Run run) {
    Evaluated result;
    RecordEvaluation evaluation(context);
    RecordScope scope;
    scope.fileName = context.fileName;
    scope.dictionary = context.dictionary;
    scope.id = id;
    scope.record = record;
    try {
        result.value = run(evaluation, scope).text;
    } catch (const EvaluationError& error) {
        result.error = error.message;
    } catch (const TooCostly&) {
        result.error = kTooCostlyMessage;
    } catch (const std::bad_alloc&) {
        result.error = kTooCostlyMessage;
    }
    if (!result.Ok()) {
        result.value.clear();
    }
    result.warnings = evaluation.costs().TakeWarnings();
    return result;
}

// A D item's value when the item is one whose field number reads plainly: the field (the
// id at 0), as the full evaluation would give it; nullopt for any other item.
std::optional<std::string> PlainField(const std::string& item, const std::string& id,
                                      const std::string& record, const EvaluationContext& context) {
    const std::string* found = context.dictionary ? context.dictionary->Find(item) : nullptr;
    if (found == nullptr || TypeCodeOf(*found) != "D") {
        return std::nullopt;
    }
    const std::string_view location = FieldText(*found, 2);
    const std::size_t first = location.find_first_not_of(' ');
    const std::optional<long long> number =
        FieldNumberOf(first == std::string_view::npos
                          ? std::string_view()
                          : location.substr(first, location.find_last_not_of(' ') + 1 - first));
    if (!number) {
        return std::nullopt;
    }
    if (*number == 0) {
        return id;
    }
    return *number <= 1'000'000'000 ? std::string(FieldText(record, static_cast<int>(*number)))
                                    : std::string();
}

}  // namespace

Evaluated EvaluateItem(const std::string& item, const std::string& id, const std::string& record,
                       const EvaluationContext& context) {
    // Listing a field goes without setting up an evaluation.
    if (std::optional<std::string> field = PlainField(item, id, record, context)) {
        Evaluated result;
        result.value = std::move(*field);
        return result;
    }
    return Evaluate(id, record, context, [&item](RecordEvaluation& evaluation, RecordScope& scope) {
        return evaluation.Item(scope, item, false);
    });
}

Evaluated EvaluateExpression(std::string_view expression, const std::string& id,
                             const std::string& record, const EvaluationContext& context) {
    return Evaluate(id, record, context,
                    [expression](RecordEvaluation& evaluation, RecordScope& scope) {
                        return evaluation.Expression(scope, expression, nullptr);
                    });
}

}  // namespace mv::values

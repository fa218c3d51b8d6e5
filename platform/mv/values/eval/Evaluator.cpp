// SPDX-License-Identifier: MIT
#include "platform/mv/values/Evaluator.h"

#include <new>

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

}  // namespace

Evaluated EvaluateItem(const std::string& item, const std::string& id, const std::string& record,
                       const EvaluationContext& context) {
    return Evaluate(id, record, context, [&item](RecordEvaluation& evaluation, RecordScope& scope) {
        return evaluation.Item(scope, item);
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

// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/Functions.h"

namespace mv::values {

FunctionBody FindFunctionBody(std::string_view name) {
    static const FunctionTable table = [] {
        FunctionTable t;
        AddNumericFunctions(t);
        AddStringFunctions(t);
        AddArrayFunctions(t);
        AddElementFunctions(t);
        AddContextFunctions(t);
        return t;
    }();
    const auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

}  // namespace mv::values

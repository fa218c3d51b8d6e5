// SPDX-License-Identifier: MIT
// The ...S functions, which work element by element through dynamic arrays, and REUSE.
#include <algorithm>
#include <array>

#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/Functions.h"
#include "platform/mv/values/eval/PatternMatch.h"

namespace mv::values {
namespace {

// A dynamic array split into fields, values and subvalues.
using Subvalues = std::vector<std::string_view>;
using Values = std::vector<Subvalues>;
using Fields = std::vector<Values>;

Fields Split(std::string_view text) {
    Fields fields;
    for (const std::string_view field : SplitOn(text, kFieldMark)) {
        Values values;
        for (const std::string_view value : SplitOn(field, kValueMark)) {
            values.push_back(SplitOn(value, kSubvalueMark));
        }
        fields.push_back(std::move(values));
    }
    return fields;
}

// Element i of a level: past the end, the last one when the array is reused, else none.
template <typename T>
const T* At(const std::vector<T>& level, std::size_t i, bool reuse) {
    if (i < level.size()) {
        return &level[i];
    }
    return reuse && !level.empty() ? &level.back() : nullptr;
}

// Calls `scalar` for each position of the arrays among the arguments (those whose bit is
// set in `arrays`), the other arguments passed as they are, and joins the results with the
// marks of the position. Where an array is shorter its element is empty, or its last one
// at that level when it was given through REUSE.
Value ElementWise(FunctionCall& call, FunctionBody scalar, unsigned arrays) {
    std::vector<Fields> split(call.Count());
    std::size_t fieldCount = 0;
    for (std::size_t a = 0; a < call.Count(); ++a) {
        if ((arrays >> a) & 1U) {
            call.costs().Step(call.Text(a).size());
            call.costs().FitsParts(call.Text(a), 0, sizeof(Subvalues) + sizeof(std::string_view));
            split[a] = Split(call.Text(a));
            fieldCount = std::max(fieldCount, split[a].size());
        }
    }
    std::string out;
    std::vector<Value> elementArgs(call.Count());
    for (std::size_t f = 0; f < fieldCount; ++f) {
        if (f != 0) {
            out.push_back(kFieldMark);
        }
        std::size_t valueCount = 1;
        for (std::size_t a = 0; a < call.Count(); ++a) {
            if ((arrays >> a) & 1U) {
                if (const Values* values = At(split[a], f, call.args[a].reuse)) {
                    valueCount = std::max(valueCount, values->size());
                }
            }
        }
        for (std::size_t v = 0; v < valueCount; ++v) {
            if (v != 0) {
                out.push_back(kValueMark);
            }
            std::size_t subvalueCount = 1;
            for (std::size_t a = 0; a < call.Count(); ++a) {
                if ((arrays >> a) & 1U) {
                    const Values* values = At(split[a], f, call.args[a].reuse);
                    const Subvalues* subs = values ? At(*values, v, call.args[a].reuse) : nullptr;
                    subvalueCount = std::max(subvalueCount, subs ? subs->size() : 0);
                }
            }
            for (std::size_t s = 0; s < subvalueCount; ++s) {
                if (s != 0) {
                    out.push_back(kSubvalueMark);
                }
                for (std::size_t a = 0; a < call.Count(); ++a) {
                    if (((arrays >> a) & 1U) == 0) {
                        call.costs().Step(call.Text(a).size());
                        elementArgs[a] = call.args[a];
                        continue;
                    }
                    const bool reuse = call.args[a].reuse;
                    const Values* values = At(split[a], f, reuse);
                    const Subvalues* subs = values ? At(*values, v, reuse) : nullptr;
                    const std::string_view* element = subs ? At(*subs, s, reuse) : nullptr;
                    elementArgs[a] = Value::Text(element ? std::string(*element) : std::string());
                }
                call.costs().Step();
                FunctionCall elementCall{call.evaluation, call.scope, elementArgs};
                const Value result = scalar(elementCall);
                call.costs().Fits(out.size() + result.text.size());
                out += result.text;
            }
        }
    }
    return Value::Text(std::move(out));
}

Value AddElements(FunctionCall& c) {
    return Arithmetic('+', c.args[0], c.args[1], c.costs());
}
Value SubtractElements(FunctionCall& c) {
    return Arithmetic('-', c.args[0], c.args[1], c.costs());
}
Value MultiplyElements(FunctionCall& c) {
    return Arithmetic('*', c.args[0], c.args[1], c.costs());
}
Value DivideElements(FunctionCall& c) {
    return Arithmetic('/', c.args[0], c.args[1], c.costs());
}
Value ModElements(FunctionCall& c) {
    const BasicNumber y = c.Number(1);
    return NumberOrZero(Remainder(c.Number(0), y), c.costs(), y.IsZero());
}
Value AndElements(FunctionCall& c) {
    const bool a = TruthOf(c.args[0], c.costs());
    return Value::Boolean(TruthOf(c.args[1], c.costs()) && a);
}
Value OrElements(FunctionCall& c) {
    const bool a = TruthOf(c.args[0], c.costs());
    return Value::Boolean(TruthOf(c.args[1], c.costs()) || a);
}
Value CatElements(FunctionCall& c) {
    return Value::Text(c.Text(0) + c.Text(1));
}
Value IfElements(FunctionCall& c) {
    return TruthOf(c.args[0], c.costs()) ? c.args[1] : c.args[2];
}
template <bool (*Holds)(int)>
Value CompareElements(FunctionCall& c) {
    return Value::Boolean(Holds(CompareValues(c.args[0], c.args[1])));
}
bool Equal(int order) {
    return order == 0;
}
bool Unequal(int order) {
    return order != 0;
}
bool Less(int order) {
    return order < 0;
}
bool Greater(int order) {
    return order > 0;
}
bool LessOrEqual(int order) {
    return order <= 0;
}
bool GreaterOrEqual(int order) {
    return order >= 0;
}

// SPLICE(a, between, b): each element of a, then `between`, then b's.
Value SpliceElements(FunctionCall& c) {
    return Value::Text(c.Text(0) + c.Text(1) + c.Text(2));
}

// SUBSTRINGS(array, start, length): text[start, length] of each element.
Value SubstringElements(FunctionCall& c) {
    const std::string& text = c.Text(0);
    const long start = std::max(1L, c.Integer(1));
    const long length = c.Integer(2);
    if (length < 1 || start > static_cast<long>(text.size())) {
        return Value();
    }
    return Value::Text(
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

Value Reuse(FunctionCall& c) {
    Value value = std::move(c.args[0]);
    value.reuse = true;
    return value;
}

struct ElementFunction {
    std::string_view name;
    std::string_view scalar;  // the function applied to each element, when it is one
    FunctionBody body;        // otherwise
    unsigned arrays;          // which arguments are arrays (bit 0: the first)
};

constexpr ElementFunction kElementFunctions[] = {
    {"ABSS", "ABS", nullptr, 1},
    {"ADDS", {}, AddElements, 3},
    {"ANDS", {}, AndElements, 3},
    {"CATS", {}, CatElements, 3},
    {"CHARS", "CHAR", nullptr, 1},
    {"COUNTS", "COUNT", nullptr, 1},
    {"DIVS", {}, DivideElements, 3},
    {"EQS", {}, CompareElements<Equal>, 3},
    {"FIELDS", "FIELD", nullptr, 1},
    {"FMTS", "FMT", nullptr, 1},
    {"GES", {}, CompareElements<GreaterOrEqual>, 3},
    {"GTS", {}, CompareElements<Greater>, 3},
    {"ICONVS", "ICONV", nullptr, 1},
    {"IFS", {}, IfElements, 7},
    {"INDEXS", "INDEX", nullptr, 1},
    {"ISNULLS", "ISNULL", nullptr, 1},
    {"LENS", "LEN", nullptr, 1},
    {"LES", {}, CompareElements<LessOrEqual>, 3},
    {"LTS", {}, CompareElements<Less>, 3},
    {"MODS", {}, ModElements, 3},
    {"MULS", {}, MultiplyElements, 3},
    {"NEGS", "NEG", nullptr, 1},
    {"NES", {}, CompareElements<Unequal>, 3},
    {"NOTS", "NOT", nullptr, 1},
    {"NUMS", "NUM", nullptr, 1},
    {"OCONVS", "OCONV", nullptr, 1},
    {"ORS", {}, OrElements, 3},
    {"SEQS", "SEQ", nullptr, 1},
    {"SPACES", "SPACE", nullptr, 1},
    {"SPLICE", {}, SpliceElements, 5},
    {"STRS", "STR", nullptr, 1},
    {"SUBS", {}, SubtractElements, 3},
    {"SUBSTRINGS", {}, SubstringElements, 1},
    {"TRIMBS", "TRIMB", nullptr, 1},
    {"TRIMFS", "TRIMF", nullptr, 1},
    {"TRIMS", "TRIM", nullptr, 1},
};

template <std::size_t I>
Value Run(FunctionCall& call) {
    const ElementFunction& function = kElementFunctions[I];
    const FunctionBody scalar =
        function.scalar.empty() ? function.body : FindFunctionBody(function.scalar);
    return ElementWise(call, scalar, function.arrays);
}

template <std::size_t... I>
void AddAll(FunctionTable& table, std::index_sequence<I...>) {
    ((table[kElementFunctions[I].name] = Run<I>), ...);
}

}  // namespace

void AddElementFunctions(FunctionTable& table) {
    AddAll(table, std::make_index_sequence<std::size(kElementFunctions)>());
    table["REUSE"] = Reuse;
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/ValueRules.h"

#include <limits>

namespace mv::values {

std::string Shown(std::string_view text) {
    constexpr std::size_t kShown = 32;
    if (text.size() <= kShown) {
        return std::string(text);
    }
    return std::string(text.substr(0, kShown)) + "...";
}

BasicNumber NumberOf(const Value& value, Costs& costs) {
    if (value.number) {
        return *value.number;
    }
    return NumberOf(value.text, costs);
}

BasicNumber NumberOf(std::string_view text, Costs& costs) {
    if (const std::optional<BasicNumber> parsed = BasicNumber::Parse(text)) {
        return *parsed;
    }
    costs.Warn("a non-numeric operand counts as 0: " + Shown(text));
    return BasicNumber();
}

BasicNumber SumOrZero(const BasicNumber& a, const BasicNumber& b, Costs& costs) {
    if (const std::optional<BasicNumber> sum = Add(a, b)) {
        return *sum;
    }
    costs.Warn("a number out of range gives 0");
    return BasicNumber();
}

long IntegerOf(const Value& value, Costs& costs) {
    const BasicNumber number = NumberOf(value, costs);
    if (const std::optional<long long> whole = number.ToInteger()) {
        if (*whole > std::numeric_limits<long>::max()) {
            return std::numeric_limits<long>::max();
        }
        if (*whole < std::numeric_limits<long>::min()) {
            return std::numeric_limits<long>::min();
        }
        return static_cast<long>(*whole);
    }
    return number.IsNegative() ? std::numeric_limits<long>::min()
                               : std::numeric_limits<long>::max();
}

bool TruthOf(const Value& value, Costs& costs) {
    return !NumberOf(value, costs).IsZero();
}

bool IsNumeric(const Value& value) {
    return value.number.has_value() || BasicNumber::Parse(value.text).has_value();
}

int CompareValues(const Value& a, const Value& b) {
    if (!a.text.empty() && !b.text.empty()) {
        const std::optional<BasicNumber> x = a.number ? a.number : BasicNumber::Parse(a.text);
        const std::optional<BasicNumber> y = b.number ? b.number : BasicNumber::Parse(b.text);
        if (x && y) {
            return Compare(*x, *y);
        }
    }
    const int order = a.text.compare(b.text);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Value NumberOrZero(const std::optional<BasicNumber>& result, Costs& costs, bool division) {
    if (result) {
        return Value::Number(*result);
    }
    costs.Warn(division ? "a division by zero gives 0" : "a number out of range gives 0");
    return Value::Integer(0);
}

Value Arithmetic(char op, const Value& a, const Value& b, Costs& costs) {
    const BasicNumber x = NumberOf(a, costs);
    const BasicNumber y = NumberOf(b, costs);
    switch (op) {
        case '+':
            return NumberOrZero(Add(x, y), costs, false);
        case '-':
            return NumberOrZero(Subtract(x, y), costs, false);
        case '*':
            return NumberOrZero(Multiply(x, y), costs, false);
        case '/':
            return NumberOrZero(Divide(x, y), costs, y.IsZero());
        default:
            if (x.IsZero() && y.IsNegative()) {
                return NumberOrZero(std::nullopt, costs, true);
            }
            return NumberOrZero(Power(x, y), costs, false);
    }
}

}  // namespace mv::values

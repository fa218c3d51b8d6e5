// SPDX-License-Identifier: MIT
// The functions of dynamic arrays: elements by position, and sums over the marks.
#include <algorithm>

#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/Functions.h"

namespace mv::values {
namespace {

// Positions 1 to `count` of the call (absent ones 0), and the bytes an edit may add for
// them: one mark for each step past the end.
struct Positions {
    long f = 0, v = 0, s = 0;
    std::size_t marks = 0;
};
Positions ReadPositions(FunctionCall& call, std::size_t count) {
    Positions p;
    long* targets[] = {&p.f, &p.v, &p.s};
    for (std::size_t i = 0; i < count; ++i) {
        *targets[i] = call.Integer(i + 1);
        p.marks += static_cast<std::size_t>(std::clamp(*targets[i], 0L, 1L << 40));
    }
    return p;
}

Value Extract(FunctionCall& call) {
    const Positions p = ReadPositions(call, call.Count() - 1);
    call.costs().Step(call.Text(0).size());
    return Value::Text(std::string(ExtractElement(call.Text(0), p.f, p.v, p.s)));
}

// REPLACE and INSERT take the new element last, after one to three positions.
Value Edit(FunctionCall& call, bool insert) {
    const std::size_t count = call.Count() - 2;
    const Positions p = ReadPositions(call, count);
    const std::string& element = call.args.back().text;
    call.WillMake(call.Text(0).size() + element.size() + p.marks);
    call.costs().FitsParts(call.Text(0), 0, sizeof(std::string));
    return Value::Text(insert ? InsertElement(call.Text(0), p.f, p.v, p.s, element)
                              : ReplaceElement(call.Text(0), p.f, p.v, p.s, element));
}
Value Replace(FunctionCall& call) {
    return Edit(call, false);
}
Value Insert(FunctionCall& call) {
    return Edit(call, true);
}

Value Delete(FunctionCall& call) {
    const Positions p = ReadPositions(call, call.Count() - 1);
    call.costs().Step(call.Text(0).size());
    call.costs().FitsParts(call.Text(0), 0, sizeof(std::string));
    return Value::Text(DeleteElement(call.Text(0), p.f, p.v, p.s));
}

Value Field(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    return Value::Text(
        std::string(GroupOf(call.Text(0), call.Text(1), call.Integer(2), call.IntegerOr(3, 1))));
}

// FIELDSTORE(text, delimiter, i, n, new): from part i, n parts replaced by the parts of
// new (n > 0), new inserted before part i (n = 0), or |n| parts deleted and new put in
// their place (n < 0); missing parts are added empty.
Value FieldStore(FunctionCall& call) {
    const std::string& text = call.Text(0);
    const std::string& delimiter = call.Text(1);
    const long i = std::max(1L, call.Integer(2));
    const long n = call.Integer(3);
    const std::string& insertion = call.Text(4);
    if (delimiter.empty()) {
        return Value::Text(text);
    }
    const long span = n < 0 ? -std::max(n, -(1L << 40)) : std::min(n, 1L << 40);
    call.WillMake(text.size() + insertion.size() + static_cast<std::size_t>(i) +
                  static_cast<std::size_t>(span));
    call.costs().FitsParts(text, delimiter[0], sizeof(std::string));
    call.costs().FitsParts(insertion, delimiter[0], sizeof(std::string));
    std::vector<std::string> parts;
    for (const std::string_view part : SplitOn(text, delimiter[0])) {
        parts.emplace_back(part);
    }
    const auto start = static_cast<std::size_t>(i - 1);
    const auto width = static_cast<std::size_t>(span);
    if (parts.size() < start + (n > 0 ? width : 0)) {
        parts.resize(start + (n > 0 ? width : 0));
    }
    const std::size_t removed = std::min(width, parts.size() - std::min(start, parts.size()));
    if (n != 0) {
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(start),
                    parts.begin() + static_cast<std::ptrdiff_t>(start + removed));
    }
    std::vector<std::string> added;
    for (const std::string_view part : SplitOn(insertion, delimiter[0])) {
        added.emplace_back(part);
    }
    parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(std::min(start, parts.size())),
                 added.begin(), added.end());
    return Value::Text(JoinWith(parts, delimiter[0]));
}

// RAISE and LOWER move every mark one level up (text mark to subvalue mark, ... field
// mark to item mark) or down.
Value Shifted(FunctionCall& call, int direction) {
    std::string text = call.Text(0);
    call.costs().Step(text.size());
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const int shifted = byte + direction;
        if (byte >= 0xFB && shifted >= 0xFB && shifted <= 0xFF) {
            c = static_cast<char>(shifted);
        }
    }
    return Value::Text(std::move(text));
}
Value Raise(FunctionCall& call) {
    return Shifted(call, 1);
}
Value Lower(FunctionCall& call) {
    return Shifted(call, -1);
}

bool IsMark(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0xFC;  // subvalue, value, field and item marks
}

// SUM: the elements of the lowest level present added up, so that the result has one
// level less ("1]2]3" gives 6, "1\2]3" gives "3]3").
Value Sum(FunctionCall& call) {
    const std::string& text = call.Text(0);
    call.costs().Step(text.size());
    unsigned char lowest = 0xFF;
    for (const char c : text) {
        if (IsMark(c)) {
            lowest = std::min(lowest, static_cast<unsigned char>(c));
        }
    }
    if (lowest == 0xFF) {
        return Value::Number(call.Number(0));
    }
    std::string out;
    BasicNumber total;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsMark(text[i])) {
            continue;
        }
        const std::string_view element = std::string_view(text).substr(start, i - start);
        total = SumOrZero(total, NumberOf(element, call.costs()), call.costs());
        start = i + 1;
        if (i == text.size() || static_cast<unsigned char>(text[i]) != lowest) {
            out += total.Text();
            total = BasicNumber();
            if (i < text.size()) {
                out.push_back(text[i]);
            }
        }
    }
    return Value::Text(std::move(out));
}

// SUMMATION: every element added up. MAXIMUM and MINIMUM: the largest and smallest.
Value Summation(FunctionCall& call) {
    const std::string& text = call.Text(0);
    call.costs().Step(text.size());
    BasicNumber total;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsMark(text[i])) {
            const std::string_view element = std::string_view(text).substr(start, i - start);
            total = SumOrZero(total, NumberOf(element, call.costs()), call.costs());
            start = i + 1;
        }
    }
    return Value::Number(total);
}

Value Extreme(FunctionCall& call, int sign) {
    const std::string& text = call.Text(0);
    call.costs().Step(text.size());
    if (text.empty()) {
        return Value();
    }
    std::optional<BasicNumber> best;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsMark(text[i])) {
            const BasicNumber n =
                NumberOf(std::string_view(text).substr(start, i - start), call.costs());
            if (!best || Compare(n, *best) * sign > 0) {
                best = n;
            }
            start = i + 1;
        }
    }
    return Value::Number(*best);
}
Value Maximum(FunctionCall& call) {
    return Extreme(call, 1);
}
Value Minimum(FunctionCall& call) {
    return Extreme(call, -1);
}

}  // namespace

void AddArrayFunctions(FunctionTable& table) {
    table["DELETE"] = Delete;
    table["EXTRACT"] = Extract;
    table["FIELD"] = Field;
    table["FIELDSTORE"] = FieldStore;
    table["GROUP"] = Field;
    table["INSERT"] = Insert;
    table["LOWER"] = Lower;
    table["MAXIMUM"] = Maximum;
    table["MINIMUM"] = Minimum;
    table["RAISE"] = Raise;
    table["REPLACE"] = Replace;
    table["SUM"] = Sum;
    table["SUMMATION"] = Summation;
}

}  // namespace mv::values

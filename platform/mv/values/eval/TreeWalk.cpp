// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/TreeWalk.h"

#include <algorithm>
#include <cstdio>

#include "platform/mv/RecordFormat.h"
#include "platform/mv/values/eval/Clock.h"
#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/Functions.h"
#include "platform/mv/values/eval/PatternMatch.h"
#include "platform/mv/values/eval/ValueRules.h"

namespace mv::values {
namespace {

constexpr std::size_t kRoomReserved = 64;
// Stacks kept for later walks: enough for walks nested as deep as items may nest, and
// none grown past what a hostile expression would leave held.
constexpr std::size_t kStacksKept = 40;
constexpr std::size_t kLargestStackKept = 256;

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n % 100);
    return text;
}

}  // namespace

TreeWalk::TreeWalk(const ExprTree& tree, RecordEvaluation& evaluation, RecordScope& scope,
                   const std::string* item)
    : tree_(tree),
      evaluation_(evaluation),
      scope_(scope),
      item_(item),
      stacks_(BorrowStacks()),
      frames_(stacks_->frames),
      values_(stacks_->values),
      results_(stacks_->results) {}

TreeWalk::~TreeWalk() {
    GiveBack(std::move(stacks_));
}

std::vector<std::unique_ptr<TreeWalk::Stacks>>& TreeWalk::SpareStacks() {
    thread_local std::vector<std::unique_ptr<Stacks>> spare;
    return spare;
}

std::unique_ptr<TreeWalk::Stacks> TreeWalk::BorrowStacks() {
    std::vector<std::unique_ptr<Stacks>>& spareStacks = SpareStacks();
    if (spareStacks.empty()) {
        return std::make_unique<Stacks>();
    }
    std::unique_ptr<Stacks> stacks = std::move(spareStacks.back());
    spareStacks.pop_back();
    return stacks;
}

void TreeWalk::GiveBack(std::unique_ptr<Stacks> stacks) {
    stacks->frames.clear();
    stacks->values.clear();
    stacks->results.clear();
    std::vector<std::unique_ptr<Stacks>>& spareStacks = SpareStacks();
    if (spareStacks.size() < kStacksKept && stacks->frames.capacity() <= kLargestStackKept &&
        stacks->values.capacity() <= kLargestStackKept &&
        stacks->results.capacity() <= kLargestStackKept) {
        spareStacks.push_back(std::move(stacks));
    }
}

Value TreeWalk::Run() {
    Costs& costs = evaluation_.costs();
    // A walk holds at most a frame and a value per node: room for those of a descriptor's
    // usual size at once, rather than growing step by step.
    const std::size_t room = std::min<std::size_t>(tree_.nodes.size(), kRoomReserved);
    frames_.reserve(room);
    values_.reserve(room);
    results_.reserve(std::min<std::size_t>(tree_.statements.size(), kRoomReserved));
    for (const int statement : tree_.statements) {
        Value value = Evaluate(statement);
        costs.Hold(value.text.size());
        results_.push_back(std::move(value));
    }
    for (const Value& result : results_) {
        costs.Release(result.text.size());
    }
    return results_.empty() ? Value() : results_.back();
}

void TreeWalk::Push(Value value) {
    evaluation_.costs().Hold(value.text.size());
    values_.push_back(std::move(value));
}

Value TreeWalk::Evaluate(int root) {
    Costs& costs = evaluation_.costs();
    const std::size_t bottom = values_.size();
    frames_.push_back({root, 0, values_.size()});
    while (!frames_.empty()) {
        const Frame frame = frames_.back();
        const ExprNode& node = tree_.nodes[static_cast<std::size_t>(frame.node)];
        if (frame.next == 0) {
            costs.Step();
        }
        if (node.kind == NodeKind::kIf) {
            // Only the branch the condition takes is evaluated.
            if (frame.next == 0) {
                frames_.back().next = 1;
                frames_.push_back({node.children[0], 0, values_.size()});
            } else if (frame.next == 1) {
                const bool taken = TruthOf(values_.back(), costs);
                costs.Release(values_.back().text.size());
                values_.pop_back();
                frames_.back().next = 2;
                frames_.push_back({node.children[taken ? 1 : 2], 0, values_.size()});
            } else {
                frames_.pop_back();
            }
            continue;
        }
        if (frame.next < node.children.size()) {
            frames_.back().next = frame.next + 1;
            frames_.push_back({node.children[frame.next], 0, values_.size()});
            continue;
        }
        Value value;
        switch (node.kind) {
            case NodeKind::kOperator:
                value = Operator(node, frame.base);
                break;
            case NodeKind::kCall:
                value = Call(node, frame.base);
                break;
            case NodeKind::kExtract:
                value = Extraction(frame.base, node.children.size());
                break;
            case NodeKind::kSubstring:
                value = Substring(frame.base, node.children.size());
                break;
            default:
                value = Leaf(node);
                break;
        }
        while (values_.size() > frame.base) {
            costs.Release(values_.back().text.size());
            values_.pop_back();
        }
        frames_.pop_back();
        Push(std::move(value));
    }
    Value result = std::move(values_.back());
    values_.resize(bottom);
    costs.Release(result.text.size());
    return result;
}

Value TreeWalk::Leaf(const ExprNode& node) {
    switch (node.kind) {
        case NodeKind::kNumber: {
            Value value = Value::Text(node.text);
            value.number = BasicNumber::Parse(node.text);
            return value;
        }
        case NodeKind::kString:
            return Value::Text(node.text);
        case NodeKind::kName:
            return evaluation_.Item(scope_, node.text);
        case NodeKind::kAtVariable:
            return AtVariable(node.text);
        case NodeKind::kResult: {
            Value value = results_[std::stoul(node.text) - 1];
            value.reuse = false;
            return value;
        }
        default:
            return Value();
    }
}

Value TreeWalk::AtVariable(const std::string& name) {
    const EvaluationContext& context = evaluation_.context();
    if (name == "ID") {
        return Value::Text(std::string(scope_.id));
    }
    if (name == "RECORD") {
        return Value::Text(std::string(scope_.record));
    }
    if (name == "FM" || name == "AM") {
        return Value::Text(std::string(1, kFieldMark));
    }
    if (name == "VM") {
        return Value::Text(std::string(1, kValueMark));
    }
    if (name == "SM" || name == "SVM") {
        return Value::Text(std::string(1, kSubvalueMark));
    }
    if (name == "TM") {
        return Value::Text(std::string(1, kTextMark));
    }
    if (name == "IM") {
        return Value::Text(std::string(1, kItemMark));
    }
    if (name == "NULL" || name == "NULL.STR") {
        return Value::Text(std::string(1, kNullValue));
    }
    if (name == "TRUE" || name == "FALSE") {
        return Value::Boolean(name == "TRUE");
    }
    if (name == "FILENAME" || name == "FILE.NAME") {
        return Value::Text(scope_.fileName);
    }
    if (name == "NI") {
        return Value::Integer(context.recordNumber);
    }
    // Counters of a report's listing: one record outside a report is at none of them.
    if (name == "NV" || name == "NS" || name == "NB" || name == "ND") {
        return Value::Integer(0);
    }
    if (name == "CONV" || name == "HEADER" || name == "FORMAT") {
        const int field = name == "CONV" ? 3 : (name == "HEADER" ? 4 : 5);
        return Value::Text(item_ ? std::string(FieldText(*item_, field)) : std::string());
    }
    if (name == "DATE" || name == "TIME" || name == "DAY" || name == "MONTH" || name == "YEAR") {
        const LocalClock clock = ReadClock(context.now);
        if (name == "DATE") {
            return Value::Integer(clock.internalDate);
        }
        if (name == "TIME") {
            return Value::Integer(clock.seconds);
        }
        return Value::Text(
            TwoDigits(name == "DAY" ? clock.day : (name == "MONTH" ? clock.month : clock.year)));
    }
    throw EvaluationError{"not evaluated here: @" + name + " is the server's own state"};
}

Value TreeWalk::Operator(const ExprNode& node, std::size_t base) {
    Costs& costs = evaluation_.costs();
    const std::string& op = node.text;
    const Value& a = values_[base];
    if (node.children.size() == 1) {
        const BasicNumber n = NumberOf(a, costs);
        return Value::Number(op == "-" ? n.Negated() : n);
    }
    const Value& b = values_[base + 1];
    if (op.size() == 1 && std::string_view("+-*/^").find(op[0]) != std::string_view::npos) {
        return Arithmetic(op[0], a, b, costs);
    }
    if (op == ":") {
        costs.Step(a.text.size() + b.text.size());
        costs.Fits(a.text.size() + b.text.size());
        return Value::Text(a.text + b.text);
    }
    if (op == "AND") {
        const bool left = TruthOf(a, costs);
        return Value::Boolean(TruthOf(b, costs) && left);
    }
    if (op == "OR") {
        const bool left = TruthOf(a, costs);
        return Value::Boolean(TruthOf(b, costs) || left);
    }
    if (op == "MATCHES") {
        return Value::Boolean(Matches(a.text, b.text, costs));
    }
    costs.Step(std::min(a.text.size(), b.text.size()));
    const int order = CompareValues(a, b);
    if (op == "=") {
        return Value::Boolean(order == 0);
    }
    if (op == "#") {
        return Value::Boolean(order != 0);
    }
    if (op == "<") {
        return Value::Boolean(order < 0);
    }
    if (op == ">") {
        return Value::Boolean(order > 0);
    }
    if (op == "<=") {
        return Value::Boolean(order <= 0);
    }
    return Value::Boolean(order >= 0);
}

Value TreeWalk::Extraction(std::size_t base, std::size_t count) {
    Costs& costs = evaluation_.costs();
    long positions[3] = {0, 0, 0};
    for (std::size_t i = 1; i < count; ++i) {
        positions[i - 1] = IntegerOf(values_[base + i], costs);
    }
    const std::string& array = values_[base].text;
    costs.Step(array.size());
    return Value::Text(
        std::string(ExtractElement(array, positions[0], positions[1], positions[2])));
}

// s[n]: the last n bytes; s[start, length]; s[delimiter, occurrence, count] as FIELD.
Value TreeWalk::Substring(std::size_t base, std::size_t count) {
    Costs& costs = evaluation_.costs();
    const std::string& text = values_[base].text;
    costs.Step(text.size());
    if (count == 4) {
        return Value::Text(
            std::string(GroupOf(text, values_[base + 1].text, IntegerOf(values_[base + 2], costs),
                                IntegerOf(values_[base + 3], costs))));
    }
    const long size = static_cast<long>(text.size());
    if (count == 2) {
        const long last = IntegerOf(values_[base + 1], costs);
        if (last <= 0) {
            return Value();
        }
        return Value::Text(last >= size ? text
                                        : text.substr(static_cast<std::size_t>(size - last)));
    }
    long start = IntegerOf(values_[base + 1], costs);
    const long length = IntegerOf(values_[base + 2], costs);
    start = start < 1 ? 1 : start;
    if (length < 1 || start > size) {
        return Value();
    }
    return Value::Text(
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

Value TreeWalk::Call(const ExprNode& node, std::size_t base) {
    const FunctionBody body = FindFunctionBody(node.text);
    if (body == nullptr) {
        throw EvaluationError{"not evaluated here: " + node.text + "() is not known here"};
    }
    std::size_t held = 0;
    for (std::size_t i = base; i < values_.size(); ++i) {
        held += values_[i].text.size();
    }
    // The function takes its operands where they lie on the stack, and may take their
    // text; what they held is given back here, whatever the function left of them.
    FunctionCall call{evaluation_, scope_, std::span<Value>(values_).subspan(base)};
    Value result = body(call);
    for (std::size_t i = base; i < values_.size(); ++i) {
        values_[i].text.clear();
    }
    evaluation_.costs().Release(held);
    return result;
}

}  // namespace mv::values

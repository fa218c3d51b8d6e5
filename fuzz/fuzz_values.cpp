// SPDX-License-Identifier: MIT
// The evaluator of I and V descriptors on any expression and any record: the input's first
// line is the expression, the rest the record (line feeds as field marks), against a small
// dictionary with fields, descriptors naming each other and a file TRANS can read. Beyond
// not crashing:
// - the result is a value or an error, never both, and its warnings are few;
// - the limits hold: the step limit bounds the time, the text limit the size of a value;
// - the same input evaluates the same way twice.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/RecordSource.h"

namespace {

class OneFile final : public mv::values::RecordSource {
public:
    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override {
        if (file != "STATES") {
            return mv::kNoSuchDictionary;
        }
        if (dictionary) {
            if (id != "NAME") {
                return mv::kRecordNotFound;
            }
            record =
                "D\xFE"
                "1";
            return mv::kOk;
        }
        if (id.empty() || id.size() > 2) {
            return mv::kRecordNotFound;
        }
        record = "State " + id +
                 "\xFE"
                 "Region\xFD" +
                 id;
        return mv::kOk;
    }
};

mv::MapItemSource Dictionary() {
    mv::MapItemSource items;
    items.Add("F0",
              "D\xFE"
              "0");
    items.Add("F1",
              "D\xFE"
              "1");
    items.Add("F2",
              "D\xFE"
              "2");
    items.Add("F3",
              "D\xFE"
              "3");
    items.Add("UP",
              "A\xFE"
              "1\xFE\xFE\xFE\xFE\xFE\xFE"
              "MCU");
    items.Add("BOTH",
              "I\xFE"
              "F1:' ':F2");
    items.Add("STATE",
              "I\xFE"
              "TRANS(STATES,F3,'NAME','C')");
    items.Add("TWICE",
              "I\xFE"
              "BOTH:BOTH");
    items.Add("LOOP",
              "I\xFE"
              "LOOP2");
    items.Add("LOOP2",
              "V\xFE"
              "LOOP");
    return items;
}

bool Same(const mv::values::Evaluated& a, const mv::values::Evaluated& b) {
    return a.value == b.value && a.error == b.error && a.warnings == b.warnings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view expression = input.substr(0, newline);
    std::string record(newline == std::string_view::npos ? std::string_view()
                                                         : input.substr(newline + 1));
    for (char& c : record) {
        c = c == '\n' ? '\xFE' : c;
    }

    mv::MapItemSource dictionary = Dictionary();
    OneFile files;
    mv::values::EvaluationContext context;
    context.fileName = "MEMBERS";
    context.dictionary = &dictionary;
    context.records = &files;
    context.now = std::chrono::system_clock::time_point(std::chrono::hours(24 * 20000));
    // Limits small enough that a run stays quick, so libFuzzer's timeout finds hangs.
    context.limits.steps = 100'000;
    context.limits.textBytes = 1u << 20;

    const mv::values::Evaluated first =
        mv::values::EvaluateExpression(expression, "K1", record, context);
    Require(first.Ok() || first.value.empty(), "an error comes without a value", input);
    Require(!first.Ok() || first.value.size() <= context.limits.textBytes,
            "a value stays within the text limit", input);
    Require(first.warnings.size() <= 8, "warnings are few", input);

    const mv::values::Evaluated second =
        mv::values::EvaluateExpression(expression, "K1", record, context);
    Require(Same(first, second), "the same input evaluates the same way twice", input);
    return 0;
}

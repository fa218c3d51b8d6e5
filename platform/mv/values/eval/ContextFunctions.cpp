// SPDX-License-Identifier: MIT
// The functions that need more than their arguments: the conversions and formats, other
// files, the clock, and what only the server knows.
#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/eval/Clock.h"
#include "platform/mv/values/eval/Functions.h"

namespace mv::values {
namespace {

// A code or format asks for as many bytes as the largest number written in it (a width,
// a repeat); past the text limit it is refused before anything is made.
void CheckCodeSize(FunctionCall& call, std::string_view value, std::string_view code) {
    std::size_t largest = 0;
    std::size_t run = 0;
    for (const char c : code) {
        if (c >= '0' && c <= '9') {
            run = run > call.costs().Limits().textBytes
                      ? run
                      : run * 10 + static_cast<std::size_t>(c - '0');
            largest = std::max(largest, run);
        } else {
            run = 0;
        }
    }
    call.costs().Step(value.size());
    call.costs().Fits(value.size() + std::min(largest, call.costs().Limits().textBytes + 1));
}

Value Converted(FunctionCall& call, const mv::values::Converted& converted) {
    if (!converted.note.empty()) {
        call.costs().Warn(converted.note);
    }
    call.costs().Fits(converted.value.size());
    return Value::Text(converted.value);
}

Value OconvOf(FunctionCall& call) {
    CheckCodeSize(call, call.Text(0), call.Text(1));
    return Converted(call, Oconv(call.Text(0), call.Text(1), call.evaluation.Records()));
}

Value IconvOf(FunctionCall& call) {
    CheckCodeSize(call, call.Text(0), call.Text(1));
    return Converted(call, Iconv(call.Text(0), call.Text(1), call.evaluation.Records()));
}

Value FmtOf(FunctionCall& call) {
    CheckCodeSize(call, call.Text(0), call.Text(1));
    std::string formatted = Format(call.Text(0), call.Text(1));
    call.costs().Fits(formatted.size());
    return Value::Text(std::move(formatted));
}

Value Translate(FunctionCall& call) {
    return call.evaluation.Translate(call.scope, call.Text(0), call.Text(1), call.Text(2),
                                     call.Text(3));
}

Value Subr(FunctionCall&) {
    throw EvaluationError{"not evaluated here: SUBR calls a server subroutine"};
}

Value System(FunctionCall&) {
    throw EvaluationError{"not evaluated here: SYSTEM() reads the server's own state"};
}

Value Random(FunctionCall&) {
    throw EvaluationError{"not evaluated here: RND() gives another number each time"};
}

Value Checksum(FunctionCall&) {
    throw EvaluationError{"not evaluated here: CHECKSUM() is computed by the server"};
}

Value Date(FunctionCall& call) {
    return Value::Integer(ReadClock(call.evaluation.context().now).internalDate);
}

Value Time(FunctionCall& call) {
    return Value::Integer(ReadClock(call.evaluation.context().now).seconds);
}

Value TimeDate(FunctionCall& call) {
    return Value::Text(TimeDateText(ReadClock(call.evaluation.context().now)));
}

// TOTAL and CALCULATE accumulate over the lines of a report; on one record their value is
// the value given.
Value Itself(FunctionCall& call) {
    return call.args[0];
}

}  // namespace

void AddContextFunctions(FunctionTable& table) {
    table["CALCULATE"] = Itself;
    table["CHECKSUM"] = Checksum;
    table["DATE"] = Date;
    table["FMT"] = FmtOf;
    table["ICONV"] = IconvOf;
    table["OCONV"] = OconvOf;
    table["RND"] = Random;
    table["SUBR"] = Subr;
    table["SYSTEM"] = System;
    table["TIME"] = Time;
    table["TIMEDATE"] = TimeDate;
    table["TOTAL"] = Itself;
    table["TRANS"] = Translate;
    table["XLATE"] = Translate;
}

}  // namespace mv::values

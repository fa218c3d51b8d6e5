// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/values/Evaluator.h"

namespace mv::values {

// Thrown inside an evaluation when a limit is passed; the value is then the error
// "too costly to evaluate here".
struct TooCostly {};

// Thrown inside an evaluation for a value that cannot be had; message is the error.
struct EvaluationError {
    std::string message;
};

inline constexpr const char* kTooCostlyMessage = "too costly to evaluate here";

// What one record's evaluation has spent of its limits, and the warnings it gathered.
// Every cost is counted before the work or the memory it stands for is taken, so a
// hostile expression stops at the limit, never past it by more than one step.
class Costs {
public:
    explicit Costs(const EvaluationLimits& limits) : limits_(limits) {}

    // One step of the walk, plus one for every 256 bytes of text that step goes through.
    void Step(std::size_t bytes = 0);
    // One read of another record (TRANS, XLATE, a T conversion).
    void Read();
    // A text of `bytes` about to be made: refused past the text limit, counting what the
    // evaluation already holds.
    void Fits(std::size_t bytes) const;
    // Text about to be split at each byte `mark` (or at each system mark, when mark is 0)
    // into parts of `bytesPerPart` bytes of bookkeeping each.
    void FitsParts(std::string_view text, char mark, std::size_t bytesPerPart) const;
    // Text the evaluation keeps while it goes on (values waiting for their operator,
    // earlier results, items already evaluated); Release gives it back.
    void Hold(std::size_t bytes);
    void Release(std::size_t bytes);
    // I and V items evaluated inside one another.
    void Enter();
    void Leave() { --depth_; }

    void Warn(std::string warning);
    std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

    const EvaluationLimits& Limits() const { return limits_; }

private:
    static constexpr std::size_t kMostWarnings = 8;

    EvaluationLimits limits_;
    std::uint64_t steps_ = 0;
    int reads_ = 0;
    std::size_t held_ = 0;
    int depth_ = 0;
    std::vector<std::string> warnings_;
};

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/Costs.h"

#include <algorithm>

namespace mv::values {

void Costs::Step(std::size_t bytes) {
    steps_ += 1 + bytes / 256;
    if (steps_ > limits_.steps) {
        throw TooCostly{};
    }
}

void Costs::Read() {
    if (++reads_ > limits_.reads) {
        throw TooCostly{};
    }
}

void Costs::Fits(std::size_t bytes) const {
    if (bytes > limits_.textBytes || held_ > limits_.textBytes - bytes) {
        throw TooCostly{};
    }
}

void Costs::FitsParts(std::string_view text, char mark, std::size_t bytesPerPart) const {
    std::size_t parts = 1;
    for (const char c : text) {
        const bool systemMark = static_cast<unsigned char>(c) >= 0xFC;
        parts += (mark == 0 ? systemMark : c == mark) ? 1 : 0;
    }
    Fits(parts > limits_.textBytes / bytesPerPart ? limits_.textBytes + 1 : parts * bytesPerPart);
}

void Costs::Hold(std::size_t bytes) {
    Fits(bytes);
    held_ += bytes;
}

void Costs::Release(std::size_t bytes) {
    held_ -= std::min(bytes, held_);
}

void Costs::Enter() {
    if (++depth_ > limits_.depth) {
        throw TooCostly{};
    }
}

void Costs::Warn(std::string warning) {
    if (warnings_.capacity() == 0) {
        warnings_.reserve(kMostWarnings);
    }
    if (warnings_.size() < kMostWarnings &&
        std::find(warnings_.begin(), warnings_.end(), warning) == warnings_.end()) {
        warnings_.push_back(std::move(warning));
    }
}

}  // namespace mv::values

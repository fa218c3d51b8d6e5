// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mv::values::conv {

// No mask or width lays out more positions than this (64 KiB): a format or code from a
// dictionary is untrusted text, and its numbers must not decide how much memory is used.
inline constexpr std::size_t kMaxLayoutWidth = 65536;

// A mask: literal characters and positions, each position one character of the value.
// `#` is a position, `*` one filled with an asterisk when the value is short, `%` one
// filled with a zero; a position character followed by digits stands for that many.
struct Mask {
    std::string pattern;  // one byte per position or literal: 0 for a position
    std::string fills;    // for each position in order, its fill character
    std::size_t positions = 0;

    // True when the mask is nothing but positions of one kind (#10, ***): a width.
    bool IsPlainWidth() const;
};

std::optional<Mask> ParseMask(std::string_view text);

// The value laid into the mask, its characters aligned left (or right when `fromRight`);
// positions left over show their fill (`#` positions show `blank`). Nullopt when the
// value has more characters than the mask has positions.
std::optional<std::string> ApplyMask(std::string_view value, const Mask& mask, bool fromRight,
                                     char blank);

}  // namespace mv::values::conv

// SPDX-License-Identifier: MIT
#include "platform/mv/values/conv/Masks.h"

#include <algorithm>

namespace mv::values::conv {

namespace {

bool IsPositionChar(char c) {
    return c == '#' || c == '*' || c == '%';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool Mask::IsPlainWidth() const {
    if (positions == 0 || pattern.find_first_not_of('\0') != std::string::npos) {
        return false;
    }
    return fills.find_first_not_of(fills[0]) == std::string::npos;
}

std::optional<Mask> ParseMask(std::string_view text) {
    Mask mask;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i++];
        if (c == '\0') {
            return std::nullopt;  // the pattern's mark for a position
        }
        if (!IsPositionChar(c)) {
            mask.pattern.push_back(c);
            continue;
        }
        std::size_t count = 1;
        if (i < text.size() && IsDigit(text[i])) {
            count = 0;
            while (i < text.size() && IsDigit(text[i])) {
                count = std::min(count * 10 + static_cast<std::size_t>(text[i++] - '0'),
                                 kMaxLayoutWidth);
            }
        }
        if (mask.positions + count > kMaxLayoutWidth) {
            return std::nullopt;
        }
        mask.positions += count;
        mask.pattern.append(count, '\0');
        char fill = c == '#' ? '#' : c == '*' ? '*' : '0';
        mask.fills.append(count, fill);
    }
    return mask;
}

std::optional<std::string> ApplyMask(std::string_view value, const Mask& mask, bool fromRight,
                                     char blank) {
    if (value.size() > mask.positions) {
        return std::nullopt;
    }
    std::size_t unused = mask.positions - value.size();
    std::string out;
    out.reserve(mask.pattern.size());
    std::size_t position = 0;
    for (char c : mask.pattern) {
        if (c != '\0') {
            out.push_back(c);
            continue;
        }
        bool filled = fromRight ? position < unused : position >= value.size();
        if (filled) {
            char fill = mask.fills[position];
            out.push_back(fill == '#' ? blank : fill);
        } else {
            out.push_back(value[fromRight ? position - unused : position]);
        }
        ++position;
    }
    return out;
}

}  // namespace mv::values::conv

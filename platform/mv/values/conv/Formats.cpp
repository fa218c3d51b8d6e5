// SPDX-License-Identifier: MIT
// The formats of field 5 and FMT(): width, fill, justification, numeric options and masks.
#include <algorithm>
#include <vector>

#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/conv/Masks.h"
#include "platform/mv/values/conv/NumberStyle.h"

namespace mv::values {

namespace {

using conv::kMaxLayoutWidth;

constexpr char kTextMark = '\xFB';

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsJustification(char c) {
    return c == 'L' || c == 'R' || c == 'T' || c == 'C' || c == 'U';
}

// A format read: [width] [fill] justification [n [m]] [options] [mask].
struct FormatCode {
    std::size_t width = 0;  // 0: none; never more than kMaxLayoutWidth
    char fill = ' ';
    char justification = 'L';
    bool numeric = false;  // decimals or a numeric option were given
    conv::NumberStyle style;
    std::optional<conv::Mask> mask;  // a mask with literals; a plain run became the width
};

std::optional<FormatCode> ParseFormat(std::string_view text) {
    FormatCode format;
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) {
        format.width =
            std::min(format.width * 10 + static_cast<std::size_t>(text[i] - '0'), kMaxLayoutWidth);
        ++i;
    }
    if (i + 2 < text.size() && (text[i] == '\'' || text[i] == '"') && text[i + 2] == text[i]) {
        format.fill = text[i + 1];
        i += 3;
    } else if (i + 1 < text.size() && !IsJustification(text[i]) && IsJustification(text[i + 1])) {
        format.fill = text[i];
        ++i;
    }
    if (i == text.size() || !IsJustification(text[i])) {
        return std::nullopt;
    }
    format.justification = text[i++];
    if (i < text.size() && IsDigit(text[i])) {
        format.numeric = true;
        format.style.decimals = text[i++] - '0';
        if (i < text.size() && IsDigit(text[i])) {
            format.style.scale = text[i++] - '0';
        }
    }
    while (i < text.size() && conv::ReadNumberOption(text[i], format.style)) {
        format.numeric = true;
        ++i;
    }
    std::string_view maskText = text.substr(i);
    // (c) alone is a fill character: R(0)#2.
    if (maskText.size() >= 3 && maskText[0] == '(' && maskText[2] == ')' && maskText[1] != '#' &&
        maskText[1] != '*' && maskText[1] != '%') {
        format.fill = maskText[1];
        maskText.remove_prefix(3);
    }
    if (maskText.empty()) {
        return format;
    }
    if (maskText.front() == '(' && maskText.back() == ')') {
        maskText = maskText.substr(1, maskText.size() - 2);
    }
    auto mask = conv::ParseMask(maskText);
    if (!mask || mask->positions == 0) {
        return std::nullopt;
    }
    if (mask->IsPlainWidth()) {
        format.width = mask->positions;
        if (mask->fills[0] != '#') {
            format.fill = mask->fills[0];
        }
    } else {
        format.mask = std::move(*mask);
    }
    return format;
}

// One line of at most `width` characters, padded to it.
std::string Justified(std::string_view line, const FormatCode& format) {
    std::size_t room = format.width > line.size() ? format.width - line.size() : 0;
    switch (format.justification) {
        case 'R':
            return std::string(room, format.fill) + std::string(line);
        case 'C': {
            std::size_t before = room / 2;
            return std::string(before, format.fill) + std::string(line) +
                   std::string(room - before, format.fill);
        }
        default:
            return std::string(line) + std::string(room, format.fill);
    }
}

// Lines of at most `width` characters, broken between words where a line can end on a
// blank; a word longer than the width is cut.
std::vector<std::string_view> WordLines(std::string_view text, std::size_t width) {
    std::vector<std::string_view> lines;
    while (text.size() > width) {
        std::size_t cut = text.rfind(' ', width);
        if (cut == std::string_view::npos || cut == 0) {
            lines.push_back(text.substr(0, width));
            text.remove_prefix(width);
        } else {
            lines.push_back(text.substr(0, cut));
            text.remove_prefix(cut + 1);
        }
    }
    lines.push_back(text);
    return lines;
}

std::string Laid(std::string_view text, const FormatCode& format) {
    if (format.width == 0) {
        return std::string(text);
    }
    if (text.size() <= format.width || format.justification == 'U') {
        return Justified(text, format);
    }
    std::vector<std::string_view> lines;
    if (format.justification == 'T') {
        lines = WordLines(text, format.width);
    } else {
        for (std::size_t at = 0; at < text.size(); at += format.width) {
            lines.push_back(text.substr(at, format.width));
        }
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out.push_back(kTextMark);
        }
        out += Justified(lines[i], format);
    }
    return out;
}

std::string Apply(std::string_view value, const FormatCode& format) {
    std::string text(value);
    if (format.numeric && !value.empty()) {
        if (auto number = conv::ParseDecimal(value)) {
            bool hasPoint = value.find('.') != std::string_view::npos;
            text = conv::LayOutNumber(*number, hasPoint, format.style);
        }
    }
    if (format.mask && !text.empty()) {
        bool fromRight = format.justification == 'R';
        if (auto masked = conv::ApplyMask(text, *format.mask, fromRight, format.fill)) {
            text = std::move(*masked);
        }
    }
    return Laid(text, format);
}

}  // namespace

Converted FormatChecked(std::string_view value, std::string_view format) {
    if (format.empty()) {
        return {std::string(value), {}, true};
    }
    auto parsed = ParseFormat(format);
    if (!parsed) {
        return {std::string(value), "not formatted: " + std::string(format), false};
    }
    return {Apply(value, *parsed), {}, true};
}

std::string Format(std::string_view value, std::string_view format) {
    return FormatChecked(value, format).value;
}

}  // namespace mv::values

// SPDX-License-Identifier: MIT
// The MD, MR and ML conversions: scaled integers to decimal text with options and masks,
// and decimal text back to scaled integers.
#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/DecimalText.h"
#include "platform/mv/values/conv/Masks.h"
#include "platform/mv/values/conv/NumberStyle.h"
#include "platform/mv/values/conv/ParsedCodes.h"

namespace mv::values::conv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct MaskedDecimalCode {
    NumberStyle style;
    bool left = false;  // ML: the number sits at the left of its mask or width
    std::optional<Mask> mask;
};

// M{D|R|L} [n [m]] [options] [mask], where m defaults to n.
std::optional<MaskedDecimalCode> ParseMaskedDecimalCode(std::string_view code) {
    if (code.size() < 2 || code[0] != 'M' || (code[1] != 'D' && code[1] != 'R' && code[1] != 'L')) {
        return std::nullopt;
    }
    MaskedDecimalCode parsed;
    parsed.left = code[1] == 'L';
    std::size_t i = 2;
    if (i < code.size() && IsDigit(code[i])) {
        parsed.style.decimals = code[i++] - '0';
        parsed.style.scale = parsed.style.decimals;
        if (i < code.size() && IsDigit(code[i])) {
            parsed.style.scale = code[i++] - '0';
        }
    }
    while (i < code.size() && ReadNumberOption(code[i], parsed.style)) {
        ++i;
    }
    if (i == code.size()) {
        return parsed;
    }
    std::string_view maskText = code.substr(i);
    if (maskText.front() == '(') {
        if (maskText.back() != ')') {
            return std::nullopt;
        }
        maskText = maskText.substr(1, maskText.size() - 2);
    } else if (maskText.front() != '#' && maskText.front() != '*' && maskText.front() != '%') {
        return std::nullopt;
    }
    parsed.mask = ParseMask(maskText);
    if (!parsed.mask || parsed.mask->positions == 0) {
        return std::nullopt;
    }
    return parsed;
}

std::string Masked(std::string text, const MaskedDecimalCode& code) {
    if (!code.mask) {
        return text;
    }
    const Mask& mask = *code.mask;
    if (mask.IsPlainWidth()) {
        if (text.size() >= mask.positions) {
            return text;
        }
        char fill = mask.fills[0] == '#' ? ' ' : mask.fills[0];
        std::string padding(mask.positions - text.size(), fill);
        return code.left ? text + padding : padding + text;
    }
    auto masked = ApplyMask(text, mask, !code.left, ' ');
    return masked ? *masked : text;
}

Converted MaskedDecimalOutput(std::string_view value, const MaskedDecimalCode& code) {
    auto number = ParseDecimal(value);
    if (!number) {
        return Unconvertible(value);
    }
    bool hasPoint = value.find('.') != std::string_view::npos;
    return {Masked(LayOutNumber(std::move(*number), hasPoint, code.style), code), {}, true};
}

// Reads what MD output looks like: blanks, `$` and thousands commas are dropped; a minus
// before or after, CR after, or angle brackets or parentheses around make it negative.
Converted MaskedDecimalInput(std::string_view value, const MaskedDecimalCode& code) {
    std::string text;
    for (char c : value) {
        if (c != ' ' && c != '$' && c != ',') {
            text.push_back(c);
        }
    }
    bool negative = false;
    auto stripSuffix = [&text](std::string_view suffix) {
        if (text.size() >= suffix.size() &&
            text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
            text.resize(text.size() - suffix.size());
            return true;
        }
        return false;
    };
    if (stripSuffix("CR") || stripSuffix("-")) {
        negative = true;
    } else if (stripSuffix("DB")) {
        negative = false;
    } else if (text.size() >= 2 && ((text.front() == '<' && text.back() == '>') ||
                                    (text.front() == '(' && text.back() == ')'))) {
        text = text.substr(1, text.size() - 2);
        negative = true;
    }
    auto number = ParseDecimal(text);
    if (!number || text.empty() || (negative && (text[0] == '-' || text[0] == '+'))) {
        return Rejected();
    }
    if (negative && !number->IsZero()) {
        number->negative = true;
    }
    bool hasPoint = text.find('.') != std::string::npos;
    DecimalText scaled = number.value();
    if (!(code.style.noScalingWithPoint && hasPoint)) {
        scaled = ShiftDecimal(scaled, code.style.scale);
    }
    std::string digits = FixedDigits(scaled, 0, false);
    bool showMinus = scaled.negative && digits != "0";
    return {(showMinus ? "-" : "") + digits, {}, true};
}

}  // namespace

std::optional<Converted> ConvertMaskedDecimal(std::string_view value, std::string_view code,
                                              Direction direction) {
    thread_local ParsedCodes<MaskedDecimalCode> codes;
    const std::optional<MaskedDecimalCode>& parsed = codes.Find(code, ParseMaskedDecimalCode);
    if (!parsed) {
        return std::nullopt;
    }
    if (value.empty()) {
        return Converted{};
    }
    return direction == Direction::kOutput ? MaskedDecimalOutput(value, *parsed)
                                           : MaskedDecimalInput(value, *parsed);
}

}  // namespace mv::values::conv

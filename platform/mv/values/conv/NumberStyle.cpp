// SPDX-License-Identifier: MIT
#include "platform/mv/values/conv/NumberStyle.h"

namespace mv::values::conv {

bool ReadNumberOption(char c, NumberStyle& style) {
    switch (c) {
        case 'Z':
            style.zeroAsEmpty = true;
            return true;
        case ',':
            style.thousands = true;
            return true;
        case '$':
            style.currency = true;
            return true;
        case 'T':
            style.truncate = true;
            return true;
        case 'P':
            style.noScalingWithPoint = true;
            return true;
        case 'C':
        case 'D':
        case 'M':
        case 'E':
        case 'N':
            style.sign = c;
            return true;
        case '-':
            style.sign = 'M';
            return true;
        case '<':
            style.sign = 'E';
            return true;
        default:
            return false;
    }
}

std::string LayOutNumber(DecimalText number, bool hasPoint, const NumberStyle& style) {
    if (!(style.noScalingWithPoint && hasPoint)) {
        number.scale += style.scale;
    }
    std::string digits = FixedDigits(number, style.decimals, style.truncate);
    // Shown as zero: every digit is 0 (the point aside).
    if (digits.find_first_not_of("0.") == std::string::npos) {
        if (style.zeroAsEmpty) {
            return {};
        }
        number.negative = false;
    }
    if (style.thousands) {
        digits = GroupThousands(digits, ',');
    }
    const bool negative = number.negative;
    std::string text;
    text.reserve(digits.size() + 4);
    if (style.currency) {
        text.push_back('$');
    }
    switch (style.sign) {
        case 'C':
            text += digits;
            if (negative) {
                text += "CR";
            }
            break;
        case 'D':
            text += negative ? "-" : "";
            text += digits;
            text += negative ? "" : "DB";
            break;
        case 'M':
            text += digits;
            text += negative ? "-" : "";
            break;
        case 'E':
            if (negative) {
                text.insert(0, 1, '<');
            }
            text += digits;
            text += negative ? ">" : "";
            break;
        case 'N':
            text += digits;
            break;
        default:
            text += negative ? "-" : "";
            text += digits;
            break;
    }
    return text;
}

}  // namespace mv::values::conv

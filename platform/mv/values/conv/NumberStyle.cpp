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

std::string LayOutNumber(const DecimalText& number, bool hasPoint, const NumberStyle& style) {
    DecimalText scaled = number;
    if (!(style.noScalingWithPoint && hasPoint)) {
        scaled = ShiftDecimal(number, -style.scale);
    }
    if (RoundsToZero(scaled, style.decimals, style.truncate)) {
        if (style.zeroAsEmpty) {
            return {};
        }
        scaled.negative = false;
    }
    std::string digits = FixedDigits(scaled, style.decimals, style.truncate);
    if (style.thousands) {
        digits = GroupThousands(digits, ',');
    }
    bool negative = scaled.negative;
    std::string text;
    if (style.currency) {
        text = "$";
    }
    switch (style.sign) {
        case 'C':
            text += digits + (negative ? "CR" : "");
            break;
        case 'D':
            text += (negative ? "-" : "") + digits + (negative ? "" : "DB");
            break;
        case 'M':
            text += digits + (negative ? "-" : "");
            break;
        case 'E':
            text = negative ? "<" + text + digits + ">" : text + digits;
            break;
        case 'N':
            text += digits;
            break;
        default:
            text += (negative ? "-" : "") + digits;
            break;
    }
    return text;
}

}  // namespace mv::values::conv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "platform/mv/values/conv/DecimalText.h"

namespace mv::values::conv {

// How a number is shown by MD, MR, ML and by a format with decimals or numeric options.
struct NumberStyle {
    int decimals = 0;
    int scale = 0;                    // places the decimal point moves left before rounding
    bool truncate = false;            // T: cut instead of rounding
    bool noScalingWithPoint = false;  // P: a value that has a point is taken as it is
    bool zeroAsEmpty = false;         // Z
    bool thousands = false;           // ,
    bool currency = false;            // $
    // How the sign shows: '-' leading minus (the default), 'C' CR after a negative,
    // 'D' DB after a positive, 'M' minus after, 'E' angle brackets, 'N' no sign.
    char sign = '-';
};

// Reads one option letter of a number style (Z , $ C D M E N - < T P) into `style`;
// false when `c` is not one.
bool ReadNumberOption(char c, NumberStyle& style);

// The number laid out in `style`; `hasPoint` tells P whether the text had a point.
std::string LayOutNumber(DecimalText number, bool hasPoint, const NumberStyle& style);

}  // namespace mv::values::conv

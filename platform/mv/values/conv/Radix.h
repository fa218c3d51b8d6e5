// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mv::values::conv {

// A decimal integer in base 2, 8 or 16 (upper-case digits). Negative numbers down to
// -2^31 show as their 32-bit two's complement; a fraction is cut. Nullopt when the text is
// no number or does not fit 64 bits.
std::optional<std::string> DecimalToRadix(std::string_view decimal, int base);

// Digits of base 2, 8 or 16 (either case) to a decimal integer; nullopt for other
// characters, no digits, or more than 64 bits.
std::optional<std::string> RadixToDecimal(std::string_view digits, int base);

// Each byte as two hexadecimal digits, and back (nullopt for an odd count or a non-digit).
std::string BytesToHex(std::string_view bytes);
std::optional<std::string> HexToBytes(std::string_view hex);

}  // namespace mv::values::conv

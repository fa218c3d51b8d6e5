// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mv::values {

// ASCII() and EBCDIC(): every byte through the EBCDIC code page 037 and back.
std::string EbcdicToAscii(std::string_view text);
std::string AsciiToEbcdic(std::string_view text);

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/mv/values/Conversions.h"

// The conversion families behind Oconv and Iconv. Each takes one value (no marks: the
// dispatcher splits the marks off) and one code, and answers nullopt when the code is
// not one its family can read, which the dispatcher reports as "not converted: <code>".
namespace mv::values::conv {

enum class Direction { kOutput, kInput };

std::optional<Converted> ConvertDate(std::string_view value, std::string_view code,
                                     Direction direction);
std::optional<Converted> ConvertTime(std::string_view value, std::string_view code,
                                     Direction direction);
std::optional<Converted> ConvertMaskedDecimal(std::string_view value, std::string_view code,
                                              Direction direction);
std::optional<Converted> ConvertCharacters(std::string_view value, std::string_view code,
                                           Direction direction);
std::optional<Converted> ConvertRadix(std::string_view value, std::string_view code,
                                      Direction direction);
std::optional<Converted> ConvertGroup(std::string_view value, std::string_view code);
std::optional<Converted> ConvertLength(std::string_view value, std::string_view code);
std::optional<Converted> ConvertRange(std::string_view value, std::string_view code);
std::optional<Converted> ConvertPattern(std::string_view value, std::string_view code);
std::optional<Converted> ConvertTranslation(std::string_view value, std::string_view code,
                                            Direction direction, RecordSource* source);

// What any code gives for a value it cannot convert on output: the value itself, marked
// not valid.
inline Converted Unconvertible(std::string_view value) {
    return {std::string(value), {}, false};
}
// What any code gives for a value it cannot convert on input: empty, not valid.
inline Converted Rejected() {
    return {{}, {}, false};
}

}  // namespace mv::values::conv

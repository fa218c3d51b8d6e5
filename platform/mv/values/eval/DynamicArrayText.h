// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mv::values {

// The parts of text between `mark` (one part for text without it, an empty part for empty
// text); views into text.
std::vector<std::string_view> SplitOn(std::string_view text, char mark);
std::string JoinWith(const std::vector<std::string>& parts, char mark);

// The element at field f, value v, subvalue s (from 1) of a dynamic array, as EXTRACT and
// <f,v,s> give it: v and s of 0 take the whole field or value; a field below 1 is empty;
// a value below 1 with a subvalue asked for is the first value.
std::string_view ExtractElement(std::string_view array, long f, long v, long s);

// REPLACE, INSERT and DELETE of BASIC on a copy of `array`. A position of -1 appends at
// its level (after the last element, or in place of an empty array); positions past the
// end are padded with empty elements. A field below 1 (other than -1) changes nothing.
// The caller has checked that the result fits: it is at most the array, the new text and
// one mark for each position.
std::string ReplaceElement(std::string_view array, long f, long v, long s,
                           std::string_view replacement);
std::string InsertElement(std::string_view array, long f, long v, long s,
                          std::string_view insertion);
std::string DeleteElement(std::string_view array, long f, long v, long s);

}  // namespace mv::values

namespace mv::values {

// FIELD and s[delimiter, occurrence, count]: `count` parts of text from part `occurrence`
// (each from 1, below 1 taken as 1), parts separated by the first byte of delimiter.
std::string_view GroupOf(std::string_view text, std::string_view delimiter, long occurrence,
                         long count);

}  // namespace mv::values

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mv::values {

class RecordSource;

// What a conversion made of a value.
struct Converted {
    std::string value;  // converted; the value as given when the code is not known here
    // Empty, or why the value is not (fully) converted, in words a user reads beside it:
    // "not converted: XYZ" for a code not known here, "TRANS: no file STATES in this
    // account" for a T conversion that could not read.
    std::string note;
    // False when the input did not have the form the code expects (BASIC's STATUS() of
    // 1 after ICONV, or an OCONV given what it cannot convert); value is then what BASIC
    // gives for it (empty for ICONV, the input for most OCONV codes).
    bool valid = true;
};

// OCONV and ICONV with BASIC's rules: the code (several codes separated by value marks
// apply in order, each to the result of the one before) is applied to each value and
// subvalue of `value`, its marks kept. `source` serves T conversions (Tfile;code;in;out);
// null: a T conversion gives the note that it needs the account.
Converted Oconv(std::string_view value, std::string_view code, RecordSource* source = nullptr);
Converted Iconv(std::string_view value, std::string_view code, RecordSource* source = nullptr);

// A value laid out as a report lays out a column with field 5 of its descriptor, and as
// FMT() does: width, justification L R T C U, fill character, decimals and scaling, the
// `,` `$` `Z` options, and masks such as R((###)###-####). Text wider than the width is
// folded into lines separated by text marks (0xFB), as FMT folds it.
std::string Format(std::string_view value, std::string_view format);

// Format, and whether the format could be read: one that cannot leaves the value as it is,
// with the note "not formatted: <format>" and valid false. An empty format changes nothing.
// A format adds at most 64 KiB of fill and mask to a value, whatever width it names.
Converted FormatChecked(std::string_view value, std::string_view format);

// The lines a value takes in a report's column: each value and subvalue on its own, laid
// out by the format and folded at the text marks Format puts in; one list of lines per
// value and subvalue, in order. An empty format leaves them as they are.
std::vector<std::vector<std::string>> ReportLines(std::string_view value, std::string_view format);

// Day 0 of the internal date: 31 December 1967.
inline constexpr int kInternalDateEpochYear = 1967;

}  // namespace mv::values

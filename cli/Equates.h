// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace cli {

// The name a BASIC program can use for a prefix and an item id written together: ASCII
// letters, digits, periods and dollar signs stay, every other byte becomes a period, and a
// name that does not start with a letter gets an X in front. "CUST NAME" gives CUST.NAME,
// "1ST" gives X1ST, "CM.1ST" stays as it is.
std::string BasicName(std::string_view prefixAndId);

// The field-number equates of one dictionary as a BASIC include. items maps each item id to
// its record, whose fields are separated by the field mark 0xFE. An item whose type code
// (field 1) starts with D, A or S in either case and whose field 2 is a whole decimal number
// of 1 or more gives the line "EQUATE <name> TO <number>", the name being
// BasicName(prefix + id). Lines are sorted by field number, then by name; a comment line
// naming the file comes first, and one comment line for each item left out for a reason a
// developer should see (field 2 is no number, or its name stands for another field) comes
// last, in the order of the ids. Every line ends with a line feed; the text is plain ASCII
// and depends on nothing but the arguments.
std::string EquatesInclude(const std::string& fileName,
                           const std::map<std::string, std::string>& items,
                           const std::string& prefix);

}  // namespace cli

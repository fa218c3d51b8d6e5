// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The words of a command line, split on blanks and tabs; views into text.
std::vector<std::string_view> SplitOnBlanks(std::string_view text);

// word with a to z made capitals; verbs and keywords of commands are compared so.
std::string UpperCase(std::string_view word);

// True when the command's verb is SELECT or SSELECT (any case): a command that fills
// select list 0, whether it selects anything or fails.
bool IsSelectVerb(std::string_view command);

}  // namespace mv

// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace mv {

// The directory that holds the dictionary of file `fileName`: "D_" followed by the name
// exactly as given. False when the name could reach outside the account or cannot be a
// directory name at all: empty, holding '/', '\' or NUL, or too long. A blank or a tab is
// refused too: a command splits its words there, so such a name would mean one dictionary
// when opened and another when named in a select or a compile.
bool DictionaryDirectoryName(std::string_view fileName, std::string& directoryName);

// The directory that holds the records of file `fileName`: the name exactly as given,
// beside its dictionary. False for every name DictionaryDirectoryName refuses, and for
// names that would reach another folder than the file's own: "." and ".." (the account
// and its parent), any name starting with a dot (hidden folders are never files), and any
// name starting with "D_", which is where dictionaries live.
bool DataDirectoryName(std::string_view fileName, std::string& directoryName);

}  // namespace mv

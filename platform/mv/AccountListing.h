// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace mv {

// The file names whose dictionaries the account at accountPath holds: every directory
// (or link to one) named "D_" + NAME that DictionaryDirectoryName gives for NAME, as NAME,
// sorted by their bytes. Empty when the account cannot be listed.
std::vector<std::string> ListDictionaries(const std::string& accountPath);
// The same for the account folder open as accountFd (which stays open and unmoved).
std::vector<std::string> ListDictionariesAt(int accountFd);

}  // namespace mv

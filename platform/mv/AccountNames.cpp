// SPDX-License-Identifier: MIT
#include "platform/mv/AccountNames.h"

#include "platform/mv/ItemIdEscaping.h"

namespace mv {

bool DictionaryDirectoryName(std::string_view fileName, std::string& directoryName) {
    directoryName.clear();
    if (fileName.empty() ||
        fileName.find_first_of(std::string_view("/\\\0 \t", 5)) != std::string_view::npos) {
        return false;
    }
    // With the "D_" in front the name can never be "." or "..".
    directoryName = "D_";
    directoryName += fileName;
    return directoryName.size() <= kMaxFileNameBytes;
}

bool DataDirectoryName(std::string_view fileName, std::string& directoryName) {
    directoryName.clear();
    std::string dictionaryName;
    if (!DictionaryDirectoryName(fileName, dictionaryName) || fileName.front() == '.' ||
        fileName.substr(0, 2) == "D_") {
        return false;
    }
    directoryName = fileName;
    return true;
}

}  // namespace mv

// SPDX-License-Identifier: MIT
#include "core/DataFiles.h"

#include <sys/stat.h>

namespace core {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string DataFilePath(const std::string& programFolder, const std::string& name) {
    const std::string beside = programFolder + "/" + name;
    if (Exists(beside)) {
        return beside;
    }
    const std::string installed = programFolder + "/../share/kelvora/" + name;
    return Exists(installed) ? installed : beside;
}

}  // namespace core

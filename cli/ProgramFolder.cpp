// SPDX-License-Identifier: MIT
#include "cli/ProgramFolder.h"

#include <unistd.h>

#include <climits>

namespace cli {

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) {
        return ".";
    }
    std::string folder(path, static_cast<std::size_t>(length));
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : folder.substr(0, slash);
}

}  // namespace cli

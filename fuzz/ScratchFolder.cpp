// SPDX-License-Identifier: MIT
#include "fuzz/ScratchFolder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fuzz {
namespace {

std::string MakeFolder() {
    std::string base = "/dev/shm";
    struct stat info {};
    if (::stat(base.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        ::access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
    std::string pattern = base + "/kelvora-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("kelvora fuzz: cannot make a scratch folder");
        std::abort();
    }
    return pattern;
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
}

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = MakeFolder();
    // Registered after the folder's name, so it runs while the name still exists.
    static const bool removedAtExit = std::atexit(RemoveFolder) == 0;
    (void)removedAtExit;
    return folder;
}

}  // namespace fuzz

// SPDX-License-Identifier: MIT
#include "tests/support/TempDir.h"

#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

#include <QFile>

namespace fs = std::filesystem;

namespace {

// Through the file system's own bytes, not QString, so names that are not valid UTF-8
// (item ids with 8-bit characters) are copied unchanged.
fs::path nativePath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

}  // namespace

TempDir::TempDir() {
    if (!dir_.isValid()) {
        ADD_FAILURE() << "Cannot make a temporary directory: " << dir_.errorString().toStdString();
    }
}

bool TempDir::copyFrom(const QString& source, const QString& name) const {
    return copyTree(source, name.isEmpty() ? path() : filePath(name));
}

bool copyTree(const QString& source, const QString& destination) {
    const fs::path from = nativePath(source);
    const fs::path to = nativePath(destination);
    std::error_code error;
    if (!fs::is_directory(from, error)) {
        ADD_FAILURE() << "Not a directory to copy: " << from;
        return false;
    }
    fs::create_directories(to, error);
    if (!error) {
        fs::copy(from, to, fs::copy_options::recursive, error);
    }
    if (error) {
        ADD_FAILURE() << "Cannot copy " << from << " to " << to << ": " << error.message();
        return false;
    }
    for (auto it = fs::recursive_directory_iterator(to, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, error);
    }
    if (error) {
        ADD_FAILURE() << "Cannot make the copy under " << to << " writable: " << error.message();
        return false;
    }
    return true;
}

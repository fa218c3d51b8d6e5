// SPDX-License-Identifier: MIT
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

fs::path native(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fixture accounts hold read-only item files whose names need not be valid UTF-8.
TEST(TempDir, copiesATreeByteForByteAndMakesItWritable) {
    TempDir source;
    const fs::path dict = native(source.path()) / "D_CUSTOMERS";
    fs::create_directories(dict);
    const std::string id = "NAME\xe9\xff";
    const std::string item = std::string("D\n1\n\n\nName\xfd\xfc");
    std::ofstream(dict / id, std::ios::binary) << item;
    fs::permissions(dict / id, fs::perms::owner_read | fs::perms::group_read);

    TempDir target;
    ASSERT_TRUE(target.copyFrom(source.path(), "ACCOUNT"));
    const fs::path copy = native(target.path()) / "ACCOUNT" / "D_CUSTOMERS" / id;
    EXPECT_EQ(contentOf(copy), item);
    EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>

#include "platform/mv/ErrorCodes.h"
#include "server/AccountResolver.h"
#include "tests/platform/mv/TempAccount.h"

namespace server::test {
namespace {

namespace fs = std::filesystem;

// root/accounts holds "sales" and "sales/archive"; "accounts2" beside it shares the root's
// name as a prefix; "outside" lies beside the root.
class AccountResolution : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::canonical(temp_.Parent());
        root_ = base_ / "accounts";
        fs::create_directories(root_ / "sales" / "archive");
        fs::create_directories(base_ / "accounts2" / "other");
        fs::create_directories(base_ / "outside");
        std::ofstream(root_ / "notes.txt") << "not a folder";
    }

    int Resolve(const std::string& account) {
        folder_.clear();
        return ResolveAccount(root_, account, folder_);
    }

    mv::test::TempAccount temp_;
    fs::path base_;
    fs::path root_;
    fs::path folder_;
};

TEST_F(AccountResolution, namesAndPathsInsideTheRootResolveToTheirFolder) {
    EXPECT_EQ(Resolve("sales"), mv::kOk);
    EXPECT_EQ(folder_, root_ / "sales");
    EXPECT_EQ(Resolve("sales/archive"), mv::kOk);
    EXPECT_EQ(folder_, root_ / "sales" / "archive");
    EXPECT_EQ(Resolve((root_ / "sales").string()), mv::kOk);
    EXPECT_EQ(Resolve("sales/archive/../"), mv::kOk);
    EXPECT_EQ(folder_, root_ / "sales");
    fs::create_directory_symlink(root_ / "sales", root_ / "shortcut");
    EXPECT_EQ(Resolve("shortcut"), mv::kOk);
    EXPECT_EQ(folder_, root_ / "sales");
}

TEST_F(AccountResolution, anythingOutsideTheRootMissingOrNotAFolderIsRefused) {
    fs::create_directory_symlink(base_ / "outside", root_ / "escape");
    fs::create_directory_symlink("/", root_ / "system");
    for (const std::string& account : std::vector<std::string>{
             "", ".", "..", "../outside", "sales/../../outside", (base_ / "outside").string(),
             "/etc", root_.string(), (base_ / "accounts2" / "other").string(), "escape",
             "system/tmp", "missing", "notes.txt", std::string("sales\0x", 7)}) {
        EXPECT_EQ(Resolve(account), mv::kInvalidAccount) << account;
        EXPECT_TRUE(folder_.empty()) << account;
    }
}

}  // namespace
}  // namespace server::test

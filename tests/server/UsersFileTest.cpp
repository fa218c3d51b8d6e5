// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "server/PasswdCommand.h"
#include "server/PasswordHash.h"
#include "server/UsersFile.h"
#include "tests/platform/mv/TempAccount.h"

namespace server::test {
namespace {

std::string MinimumHash(const std::string& password) {
    std::string hash;
    EXPECT_TRUE(HashPassword(password, HashCost::Minimum, hash));
    return hash;
}

TEST(UsersFile, linesOfNameTabHashParseAndFaultsNameTheirLine) {
    const std::string a = MinimumHash("a");
    const std::string b = MinimumHash("b");
    UserTable users;
    std::string why;
    ASSERT_TRUE(ParseUsers("alice\t" + a + "\n\nbob smith\t" + b + "\r\n", users, why)) << why;
    ASSERT_NE(users.HashOf("alice"), nullptr);
    EXPECT_EQ(*users.HashOf("alice"), a);
    EXPECT_EQ(*users.HashOf("bob smith"), b);
    EXPECT_EQ(users.HashOf("carol"), nullptr);
    EXPECT_EQ(FormatUsers(users), "alice\t" + a + "\nbob smith\t" + b + "\n");

    struct Fault {
        std::string text, message;
    };
    for (const Fault& fault : {Fault{"alice " + a, "line 1: expected"},
                               Fault{"alice\t" + a + "\n\t" + b, "line 2: the user name"},
                               Fault{"alice\tsecret", "line 1: the password hash"},
                               Fault{"alice\t" + a + "\nalice\t" + b, "line 2: user \"alice\""}}) {
        EXPECT_FALSE(ParseUsers(fault.text, users, why));
        EXPECT_EQ(why.rfind(fault.message, 0), 0u) << why;
    }
}

TEST(UsersFile, setUserPasswordAddsAndChangesUsersInAPrivateFile) {
    const mv::test::TempAccount temp;
    const std::string file = (temp.Parent() / "users").string();
    bool added = false;
    std::string why;
    ASSERT_TRUE(SetUserPassword(file, "alice", "one", HashCost::Minimum, added, why)) << why;
    EXPECT_TRUE(added);
    ASSERT_TRUE(SetUserPassword(file, "bob", "two", HashCost::Minimum, added, why)) << why;
    ASSERT_TRUE(SetUserPassword(file, "alice", "three", HashCost::Minimum, added, why)) << why;
    EXPECT_FALSE(added);

    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    UserTable users;
    ASSERT_TRUE(LoadUsersFile(file, users, why)) << why;
    ASSERT_EQ(users.Entries().size(), 2u);
    EXPECT_EQ(users.Entries()[0].first, "alice");
    EXPECT_TRUE(VerifyPassword(*users.HashOf("alice"), "three"));
    EXPECT_FALSE(VerifyPassword(*users.HashOf("alice"), "one"));
    EXPECT_TRUE(VerifyPassword(*users.HashOf("bob"), "two"));
    EXPECT_EQ(temp.Snapshot().size(), 2u) << "no temporary file is left behind";
}

TEST(UsersFile, aFileThatIsNotAUsersFileIsLeftAlone) {
    const mv::test::TempAccount temp;
    const std::string file = (temp.Parent() / "users").string();
    std::ofstream(file) << "this is not a users file\n";
    bool added = false;
    std::string why;
    EXPECT_FALSE(SetUserPassword(file, "alice", "one", HashCost::Minimum, added, why));
    EXPECT_NE(why.find("line 1"), std::string::npos) << why;
    EXPECT_EQ(mv::test::FileBytes(file), "this is not a users file\n");

    UserTable users;
    EXPECT_FALSE(LoadUsersFile((temp.Parent() / "missing").string(), users, why));
    EXPECT_NE(why.find("cannot read"), std::string::npos) << why;
}

}  // namespace
}  // namespace server::test

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/platform/mv/Unprivileged.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// Folders and files the user may not read, in an account everyone may read otherwise, so
// that the unprivileged user of a test run as root reaches them too.
class UnreadableEntries : public ::testing::Test {
protected:
    // Runs the commands on a session of its own as a user bound by file permissions,
    // and gives each command's code and answer, one line each.
    std::string Run(const std::vector<std::string>& commands) const {
        return test::AsUnprivilegedUser(account_.Path(), [&](const std::string& path) {
            Session session;
            session.SetAccountPath(path);
            session.Connect();
            std::string out;
            for (const std::string& text : commands) {
                session.Command().SetText(text);
                session.Command().Exec();
                out += std::to_string(session.Command().Error()) + " " +
                       session.Command().Response() + "\n";
            }
            return out;
        });
    }

    std::string OpenCode(const std::string& fileName) const {
        return test::AsUnprivilegedUser(account_.Path(), [&](const std::string& path) {
            Session session;
            session.SetAccountPath(path);
            session.Connect();
            session.OpenDictionary(fileName);
            return std::to_string(session.Error());
        });
    }

    test::TempAccount account_;
};

// A folder that cannot be opened, or opens but cannot be searched, is a dictionary that
// exists but cannot be read: the open and every command naming it give the same code.
TEST_F(UnreadableEntries, AFolderThatCannotBeReadGivesTheUnreadableDictionaryCode) {
    for (const auto& [name, mode] :
         {std::pair<std::string, mode_t>{"SHUT", 0}, {"NOSEARCH", 0400}}) {
        account_.MakeDictionary(name);
        account_.WriteFile(name, "A", "I\n1");
        ::chmod(account_.DictionaryPath(name).c_str(), mode);
        EXPECT_EQ(OpenCode(name), std::to_string(kDictionaryUnreadable)) << name;
        const std::string answer = "31003 The dictionary of \"" + name + "\" could not be read.\n";
        EXPECT_EQ(Run({"SSELECT DICT " + name, "CD " + name, "CD " + name + " A"}),
                  answer + answer + answer);
        ::chmod(account_.DictionaryPath(name).c_str(), 0755);
        EXPECT_EQ(account_.ReadFile(name, "A"), "I\n1") << name;
    }
}

// A dictionary the user may read but not write is known as such when it is opened, so the
// program need not try a write to find out; one the user may write is not.
TEST_F(UnreadableEntries, AFolderThatMayNotBeWrittenIsToldAtOpen) {
    account_.MakeDictionary("RO");
    account_.MakeDictionary("RW");
    ::chmod(account_.DictionaryPath("RO").c_str(), 0555);
    ::chmod(account_.DictionaryPath("RW").c_str(), 0777);
    const std::string writable =
        test::AsUnprivilegedUser(account_.Path(), [](const std::string& path) {
            Session session;
            session.SetAccountPath(path);
            session.Connect();
            std::string out;
            for (const char* name : {"RO", "RW"}) {
                const auto file = session.OpenDictionary(name);
                out += file && file->Writable() ? "1" : "0";
            }
            return out;
        });
    EXPECT_EQ(writable, "01");
    ::chmod(account_.DictionaryPath("RO").c_str(), 0755);
}

// An item that exists but cannot be read is said to be so, whether an expression names it
// or it is one of the descriptors to compile; it is never called unknown or missing.
TEST_F(UnreadableEntries, CompilingSaysWhichItemCouldNotBeRead) {
    account_.MakeDictionary("F");
    account_.WriteFile("F", "TOTAL", "I\n2 * QTY");
    account_.WriteFile("F", "QTY", "D\n1");
    account_.WriteFile("F", "SHUT", "I\n1");
    ::chmod(account_.DictionaryPath("F").c_str(), 0777);
    ::chmod((account_.DictionaryPath("F") / "QTY").c_str(), 0);
    ::chmod((account_.DictionaryPath("F") / "SHUT").c_str(), 0);
    EXPECT_EQ(Run({"CD F TOTAL", "CD F", "CD F SHUT"}),
              "0 TOTAL: column 5: the item QTY could not be read, so its type is not known.\n"
              "0 descriptors compiled, 1 failed.\n"
              "30020 QTY: the item could not be read.\n"
              "SHUT: the item could not be read.\n"
              "TOTAL: column 5: the item QTY could not be read, so its type is not known.\n"
              "0 descriptors compiled, 3 failed.\n"
              "30020 SHUT: the item could not be read.\n");
    EXPECT_EQ(account_.ReadFile("F", "TOTAL"), "I\n2 * QTY");
}

}  // namespace
}  // namespace mv

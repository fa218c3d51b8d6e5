// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/mv/ErrorCodes.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// A host that cannot be reached, or that is not written as one, fails the connect with
// its own code at once and leaves the session inactive.
TEST(SessionErrors, AHostThatCannotBeReachedIsNamedClearly) {
    test::TempAccount account;
    for (const auto& [host, code] :
         std::vector<std::pair<std::string, int>>{{"localhost:0", kBadHostName},
                                                  {"localhost:65536", kBadHostName},
                                                  {"localhost:x", kBadHostName},
                                                  {"[::1", kBadHostName},
                                                  {":31438", kBadHostName},
                                                  {"127.0.0.1:1", kConnectionRefused}}) {
        Session session;
        session.SetHostName(host);
        session.SetAccountPath(account.Path().string());
        session.Connect();
        EXPECT_EQ(session.Error(), code) << host;
        EXPECT_FALSE(session.IsActive()) << host;
        EXPECT_EQ(session.OpenDictionary("F"), nullptr);
        EXPECT_EQ(session.Error(), kNotConnected);
    }
}

TEST(SessionErrors, TheAccountMustBeAnExistingDirectory) {
    test::TempAccount account;
    const std::string notADirectory = (account.Parent() / "plain-file").string();
    std::FILE* f = std::fopen(notADirectory.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    for (const std::string& path :
         {std::string(), (account.Parent() / "missing").string(), notADirectory}) {
        Session session;
        session.SetAccountPath(path);
        session.Connect();
        EXPECT_EQ(session.Error(), kAccountNotFound) << path;
        EXPECT_FALSE(session.IsActive());
    }
}

TEST(SessionErrors, NothingWorksBeforeConnectOrAfterDisconnect) {
    test::TempAccount account;
    account.MakeDictionary("F");
    Session session;
    EXPECT_FALSE(session.IsActive());
    EXPECT_EQ(session.OpenDictionary("F"), nullptr);
    EXPECT_EQ(session.Error(), kNotConnected);
    session.Command().SetText("SSELECT DICT F");
    session.Command().Exec();
    EXPECT_EQ(session.Command().Error(), kNotConnected);
    EXPECT_FALSE(session.Command().Response().empty());

    session.SetAccountPath(account.Path().string());
    session.Connect();
    ASSERT_EQ(session.Error(), 0);
    EXPECT_TRUE(session.IsActive());
    session.Disconnect();
    EXPECT_FALSE(session.IsActive());
    EXPECT_EQ(session.OpenDictionary("F"), nullptr);
    EXPECT_EQ(session.Error(), kNotConnected);
}

TEST(SessionErrors, OnlySelectListZeroExists) {
    Session session;
    session.SelectList(1);
    EXPECT_EQ(session.Error(), kNoSuchSelectList);
    session.SelectList(0);
    EXPECT_EQ(session.Error(), 0);
}

TEST(OpenErrors, AMissingDictionaryIsReported) {
    test::TempAccount account;
    account.MakeDictionary("CUSTOMERS");
    const auto session = account.Connect();
    for (const char* name : {"ORDERS", "customers"}) {
        EXPECT_EQ(session->OpenDictionary(name), nullptr) << name;
        EXPECT_EQ(session->Error(), kNoSuchDictionary) << name;
    }
    // A name is never trimmed to match; one with a blank is no file name at all.
    for (const char* name : {" CUSTOMERS", "CUSTOMERS "}) {
        EXPECT_EQ(session->OpenDictionary(name), nullptr) << name;
        EXPECT_EQ(session->Error(), kBadFileName) << name;
    }
    EXPECT_NE(session->OpenDictionary("CUSTOMERS"), nullptr);
    EXPECT_EQ(session->Error(), 0);
}

TEST(OpenErrors, NamesThatCouldLeaveTheAccountAreRefusedUntouched) {
    test::TempAccount account;
    // Targets a name might reach if it were used as a path: they must stay unopened.
    fs::create_directories(account.Parent() / "D_OUT");
    const auto before = account.Snapshot();
    const auto session = account.Connect();
    for (const std::string& name :
         {std::string(), std::string("../D_OUT"), std::string("x/../../D_OUT"),
          std::string("..\\D_OUT"), std::string("/etc"), std::string("A\0B", 3),
          std::string(300, 'N')}) {
        EXPECT_EQ(session->OpenDictionary(name), nullptr);
        EXPECT_EQ(session->Error(), kBadFileName);
    }
    EXPECT_EQ(account.Snapshot(), before);
}

TEST(FileErrors, AClosedFileRefusesEveryOperation) {
    test::TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "X", "x");
    const auto session = account.Connect();
    const auto closedByCloseFile = session->OpenDictionary("F");
    const auto closedByDisconnect = session->OpenDictionary("F");
    ASSERT_NE(closedByCloseFile, nullptr);
    ASSERT_NE(closedByDisconnect, nullptr);
    closedByCloseFile->CloseFile();
    session->Disconnect();
    session->Connect();  // a new connection does not revive files of the old one
    for (const auto& file : {closedByCloseFile, closedByDisconnect}) {
        file->SetRecordId("X");
        file->Read();
        EXPECT_EQ(file->Error(), kFileClosed);
        file->SetRecord(DynamicArray("y"));
        file->Write();
        EXPECT_EQ(file->Error(), kFileClosed);
        file->DeleteRecord();
        EXPECT_EQ(file->Error(), kFileClosed);
    }
    EXPECT_EQ(account.ReadFile("F", "X"), "x");
}

struct CommandCase {
    const char* name;
    std::string text;
    int error;
};

class CommandErrors : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandErrors, AreReportedInOneLineAndEmptyList0) {
    test::TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "A", "D");
    const auto session = account.Connect();
    session->Command().SetText("SELECT DICT F");
    session->Command().Exec();
    ASSERT_EQ(session->SelectList(0).Count(), 1u);

    session->Command().SetText(GetParam().text);
    session->Command().Exec();
    EXPECT_EQ(session->Command().Error(), GetParam().error);
    const std::string& response = session->Command().Response();
    EXPECT_FALSE(response.empty());
    EXPECT_EQ(response.find('\n'), std::string::npos);
    if (GetParam().error != kUnknownCommand) {
        EXPECT_EQ(session->SelectList(0).Count(), 0u);  // a failed select leaves no stale ids
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandErrors,
    ::testing::Values(
        CommandCase{"Empty", "", kUnknownCommand}, CommandCase{"Blanks", "   ", kUnknownCommand},
        CommandCase{"OtherVerb", "LIST DICT F", kUnknownCommand},
        CommandCase{"NoSuchDataFile", "SSELECT G", kUnknownFileInCommand},
        CommandCase{"DataFileLeavingAccount", "SSELECT ..", kUnknownFileInCommand},
        CommandCase{"DataFileNamingADictionary", "SSELECT D_F", kUnknownFileInCommand},
        CommandCase{"DataNameNotInDictionary", "SSELECT F BY NAME", kUnknownSortName},
        CommandCase{"DataNameWithoutLocation", "SSELECT F WITH A", kUnknownSortName},
        CommandCase{"WithWithoutJoin", "SSELECT DICT F WITH F1 WITH F2", kCommandSyntax},
        CommandCase{"WithoutValue", "SSELECT DICT F WITH F1 =", kCommandSyntax},
        CommandCase{"OpenQuote", "SSELECT DICT F WITH F1 = \"D", kCommandSyntax},
        CommandCase{"SampleZero", "SSELECT DICT F SAMPLE 0", kCommandSyntax},
        CommandCase{"NoFileName", "SSELECT DICT", kCommandSyntax},
        CommandCase{"ByWithoutName", "SSELECT DICT F BY", kCommandSyntax},
        CommandCase{"StrayWord", "SELECT DICT F WHEN F1", kCommandSyntax},
        CommandCase{"UnknownFile", "SSELECT DICT G", kUnknownFileInCommand},
        CommandCase{"FileNameLeavingAccount", "SSELECT DICT ../F", kUnknownFileInCommand},
        CommandCase{"UnknownSortName", "SSELECT DICT F BY NAME", kUnknownSortName},
        CommandCase{"FieldZero", "SSELECT DICT F BY F0", kUnknownSortName},
        CommandCase{"FieldHundred", "SSELECT DICT F BY.DSND F100", kUnknownSortName}),
    [](const ::testing::TestParamInfo<CommandCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace mv

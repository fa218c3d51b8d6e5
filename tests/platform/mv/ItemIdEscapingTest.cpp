// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemIdEscaping.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

struct EscapeCase {
    const char* name;
    std::string id;
    std::string fileName;
};

class Escaping : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, GivesTheExpectedNameAndBack) {
    std::string fileName, id;
    ASSERT_TRUE(EscapeItemId(GetParam().id, fileName));
    EXPECT_EQ(fileName, GetParam().fileName);
    ASSERT_TRUE(UnescapeFileName(fileName, id));
    EXPECT_EQ(id, GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, Escaping,
    ::testing::Values(EscapeCase{"Plain", "F1", "F1"}, EscapeCase{"CorpusLessThan", "<=", "%3C="},
                      EscapeCase{"KeptPunctuation", "#()=[]{}@$ ,;", "#()=[]{}@$ ,;"},
                      EscapeCase{"Slash", "a/b", "a%2Fb"}, EscapeCase{"Backslash", "a\\b", "a%5Cb"},
                      EscapeCase{"Dot", ".", "%2E"}, EscapeCase{"DotDot", "..", "%2E%2E"},
                      EscapeCase{"ParentPath", "../x", "%2E.%2Fx"},
                      EscapeCase{"LeadingDot", ".x", "%2Ex"}, EscapeCase{"Percent", "50%", "50%25"},
                      EscapeCase{"WindowsSpecials", ":*?\"<>|", "%3A%2A%3F%22%3C%3E%7C"},
                      EscapeCase{"ControlBytes", std::string("a\0b\x01\t\n", 6), "a%00b%01%09%0A"},
                      EscapeCase{"HighBytesAndDel", "\x7F\x80\xFD\xFE\xFF", "%7F%80%FD%FE%FF"},
                      EscapeCase{"TrailingBlank", "ab ", "ab%20"},
                      EscapeCase{"TrailingDot", "a..", "a.%2E"},
                      EscapeCase{"InnerBlankAndDot", "a b.c", "a b.c"},
                      EscapeCase{"DeviceCon", "CON", "%43ON"},
                      EscapeCase{"DeviceLowerNul", "nul", "%6Eul"},
                      EscapeCase{"DeviceWithExtension", "aux.txt", "%61ux.txt"},
                      EscapeCase{"DeviceWithBlank", "PRN .x", "%50RN .x"},
                      EscapeCase{"DeviceCom", "Com1", "%43om1"},
                      EscapeCase{"DeviceLpt", "LPT9.a.b", "%4CPT9.a.b"},
                      EscapeCase{"NotDeviceLonger", "CONSOLE", "CONSOLE"},
                      EscapeCase{"NotDeviceCom0", "COM0", "COM0"},
                      EscapeCase{"NotDeviceCom10", "COM10", "COM10"}),
    [](const ::testing::TestParamInfo<EscapeCase>& p) { return std::string(p.param.name); });

TEST(Escaping, RefusesIdsThatCannotBeFileNames) {
    std::string fileName;
    EXPECT_FALSE(EscapeItemId("", fileName));
    EXPECT_FALSE(EscapeItemId(std::string(256, 'a'), fileName));
    EXPECT_TRUE(EscapeItemId(std::string(255, 'a'), fileName));
    EXPECT_TRUE(EscapeItemId(std::string(85, '\x01'), fileName));  // 255 bytes escaped
    EXPECT_FALSE(EscapeItemId(std::string(86, '\x01'), fileName));
}

TEST(Escaping, NamesNoEscapeGivesAreNotItems) {
    std::string id;
    for (const char* name : {"%zz", "%4", "%", "%2e", "%41", ".kelvora-tmp-1-1", ".", "..", "ab ",
                             "ab.", "CON", "a%2"}) {
        EXPECT_FALSE(UnescapeFileName(name, id)) << name;
    }
}

TEST(Escaping, EveryByteStringRoundTripsToASafeName) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(1, 60), byte(0, 255), pick(0, 9);
    const std::string favourites = "./\\% .CONcon";
    for (int round = 0; round < 20000; ++round) {
        std::string id(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : id) {
            // Lean towards the bytes escaping cares about so their mixes get tried.
            c = pick(random) < 4
                    ? favourites[static_cast<std::size_t>(byte(random)) % favourites.size()]
                    : static_cast<char>(byte(random));
        }
        std::string fileName, back;
        ASSERT_TRUE(EscapeItemId(id, fileName));
        ASSERT_TRUE(UnescapeFileName(fileName, back));
        ASSERT_EQ(back, id);
        ASSERT_NE(fileName.front(), '.');
        ASSERT_EQ(fileName.find_first_of(std::string("/\\\0", 3)), std::string::npos);
        ASSERT_NE(fileName.back(), ' ');
        ASSERT_NE(fileName.back(), '.');
    }
}

TEST(EscapedItems, HostileIdsStayInsideTheirDictionary) {
    test::TempAccount account;
    account.MakeDictionary("X");
    const auto session = account.Connect();
    const auto file = session->OpenDictionary("X");
    ASSERT_NE(file, nullptr);
    const std::vector<std::string> ids = {
        "../escaped", "..",      ".",       "/etc/passwd", "..\\..\\x", ".hidden",
        "a%2Fb",      "CON",     "nul.txt", "F1",          "f1",        std::string("nul\0byte", 8),
        "trailing. ", "\xFF\xFE"};
    const auto before = account.Snapshot();
    for (const std::string& id : ids) {
        file->SetRecordId(id);
        file->SetRecord(DynamicArray("item " + id));
        file->Write();
        ASSERT_EQ(file->Error(), 0) << id;
    }
    // Nothing appeared anywhere but inside D_X, one file per id.
    auto after = account.Snapshot();
    std::size_t inside = 0;
    for (const auto& [path, bytes] : after) {
        if (path == "account/D_X/") {
            continue;
        }
        if (path.rfind("account/D_X/", 0) == 0) {
            ++inside;
        } else {
            EXPECT_TRUE(before.count(path)) << "written outside the dictionary: " << path;
        }
    }
    EXPECT_EQ(inside, ids.size());
    for (const std::string& id : ids) {
        file->SetRecordId(id);
        file->Read();
        ASSERT_EQ(file->Error(), 0) << id;
        EXPECT_EQ(file->Record().Text(), "item " + id);
    }
    session->Command().SetText("SSELECT DICT X");
    session->Command().Exec();
    ASSERT_EQ(session->Command().Error(), 0);
    std::set<std::string> listed;
    for (std::string id = session->SelectList(0).Next(); !session->SelectList(0).LastRecordRead();
         id = session->SelectList(0).Next()) {
        listed.insert(id);
    }
    EXPECT_EQ(listed, std::set<std::string>(ids.begin(), ids.end()));
}

}  // namespace
}  // namespace mv

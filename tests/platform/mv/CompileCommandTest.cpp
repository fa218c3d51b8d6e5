// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "platform/mv/ErrorCodes.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

// Item files as they lie on disk: fields are lines.
const std::string kTotal = "I\nA + B * 2\nMD2\nTotal\n10R\nS\n\nDecimal\nold 9\nold 10";

class CompileCommand : public ::testing::Test {
protected:
    void SetUp() override {
        account_.MakeDictionary("T");
        Put("A", "D\n1\n\nA\n10L\nS");
        Put("B", "D\n2");
        Put("TOTAL", kTotal);
        session_ = account_.Connect();
    }

    void Put(const std::string& id, const std::string& bytes) {
        account_.WriteFile("T", id, bytes);
    }
    std::string OnDisk(const std::string& id) const { return account_.ReadFile("T", id); }

    const ServerCommand& Run(const std::string& text) {
        session_->Command().SetText(text);
        session_->Command().Exec();
        return session_->Command();
    }

    test::TempAccount account_;
    std::unique_ptr<Session> session_;
};

TEST_F(CompileCommand, WritesTheCompiledFormAfterFieldEightKeepingTheRest) {
    const ServerCommand& cd = Run("CD T TOTAL");
    EXPECT_EQ(cd.Error(), 0);
    EXPECT_EQ(cd.Response(), "TOTAL: compiled.\n1 descriptor compiled, 0 failed.");
    EXPECT_EQ(OnDisk("TOTAL"),
              "I\nA + B * 2\nMD2\nTotal\n10R\nS\n\nDecimal\nKCD1\n"
              "+/2\xFC"
              "A\xFC*/2\xFC"
              "B\xFC"
              "2\nA\xFD"
              "B");

    // An item with fewer than eight fields gets empty ones; a second compile of the
    // same expression writes the same bytes.
    Put("SHORT", "I\nA:B");
    ASSERT_EQ(Run("cd T SHORT").Error(), 0);
    const std::string once = OnDisk("SHORT");
    EXPECT_EQ(once,
              "I\nA:B\n\n\n\n\n\n\nKCD1\n:/2\xFC"
              "A\xFC"
              "B\nA\xFD"
              "B");
    Run("CD T SHORT");
    EXPECT_EQ(OnDisk("SHORT"), once);
}

TEST_F(CompileCommand, AFailedCompileLeavesEveryFileAsItWas) {
    Put("LINE.NET", "I\nQTY * * PRICE\nMD2\nNet\n12R\nM\nORDER.LINES");
    Put("QTY", "D\n3");
    Put("PRICE", "D\n4");
    const auto before = account_.Snapshot();
    const ServerCommand& cd = Run("CD T LINE.NET");
    EXPECT_EQ(cd.Error(), 0);
    EXPECT_EQ(cd.Response(),
              "LINE.NET: column 7: expected an operand after '*' but found '*'.\n"
              "0 descriptors compiled, 1 failed.");
    EXPECT_EQ(account_.Snapshot(), before);
}

TEST_F(CompileCommand, WithoutItemsCompilesEveryIAndVDescriptorInIdOrder) {
    // A UniData V item keeps its own parsed form in field 8; field 9 on is replaced.
    Put("FULL",
        "V\nA:' ':B\n\nFull\n30L\nS\n\nFULL\xFD\xFD"
        "A:' ':B\nT");
    Put("BAD", "I\nA +");
    Put("PHRASE", "PH\nA B");
    Put("SQL", "d\n1");
    const ServerCommand& cd = Run("CD T");
    EXPECT_EQ(cd.Error(), 0);
    EXPECT_EQ(cd.Response(),
              "BAD: column 4: expected an operand after '+' but found the end of the expression.\n"
              "FULL: compiled.\nTOTAL: compiled.\n2 descriptors compiled, 1 failed.");
    EXPECT_EQ(OnDisk("FULL"),
              "V\nA:' ':B\n\nFull\n30L\nS\n\nFULL\xFD\xFD"
              "A:' ':B\nKCD1\n"
              ":/2\xFC:/2\xFC"
              "A\xFC\" \"\xFC"
              "B\nA\xFD"
              "B");
    EXPECT_EQ(OnDisk("PHRASE"), "PH\nA B");
}

TEST_F(CompileCommand, TellsWhatIsNotThere) {
    struct Case {
        std::string text;
        int error;
        std::string response;
    };
    const Case cases[] = {
        {"CD", kCommandSyntax, "CD needs a file name: CD file [item ...]"},
        {"CD NOPE TOTAL", kUnknownFileInCommand, "\"NOPE\" is not a file of this account."},
        {"CD ../T TOTAL", kUnknownFileInCommand, "\"../T\" is not a file of this account."},
        {"CD T NOPE", kRecordNotFound, "NOPE: no such item in the dictionary of T."},
        // One missing item compiles none of the others.
        {"CD T TOTAL NOPE GONE", kRecordNotFound,
         "NOPE: no such item in the dictionary of T.\nGONE: no such item in the dictionary of T."},
        // An item that is there but no descriptor is a failed compile, not a failed command.
        {"CD T A", kOk,
         "A: not compiled: it is a D item, not an I- or V-descriptor.\n"
         "0 descriptors compiled, 1 failed."},
    };
    const auto before = account_.Snapshot();
    for (const Case& c : cases) {
        const ServerCommand& cd = Run(c.text);
        EXPECT_EQ(cd.Error(), c.error) << c.text;
        EXPECT_EQ(cd.Response(), c.response) << c.text;
    }
    EXPECT_EQ(account_.Snapshot(), before);
}

TEST_F(CompileCommand, FindsCircularReferencesThroughOtherDescriptors) {
    Put("P", "I\nA + Q");
    Put("Q", "I\nIF B THEN P ELSE 0");
    Put("R", "I\nTOTAL : P");
    Put("SELF", "I\nSELF + 1");
    const auto before = account_.Snapshot();
    EXPECT_EQ(Run("CD T P Q R SELF").Response(),
              "P: column 5: circular reference: P -> Q -> P.\n"
              "Q: column 11: circular reference: Q -> P -> Q.\n"
              "R: column 9: P leads into a circular reference: P -> Q -> P.\n"
              "SELF: column 1: circular reference: SELF -> SELF.\n"
              "0 descriptors compiled, 4 failed.");
    EXPECT_EQ(account_.Snapshot(), before);
}

TEST_F(CompileCommand, ResolvesNamesAgainstTheDictionaryOnDisk) {
    Put("ORDER-NO", "D\n0");
    Put("NEXT", "I\nORDER-NO-1");    // a hyphenated item, then a subtraction
    Put("DIFF", "I\nA-B");           // no item A-B: a subtraction
    Put("MY ITEM", "I\nTOTAL * 2");  // an id with a blank, sent as typed
    EXPECT_EQ(Run("CD T NEXT DIFF").Response(),
              "NEXT: compiled.\nDIFF: compiled.\n2 descriptors compiled, 0 failed.");
    EXPECT_NE(OnDisk("NEXT").find("-/2\xFCORDER-NO\xFC"
                                  "1\nORDER-NO"),
              std::string::npos);
    EXPECT_NE(OnDisk("DIFF").find("-/2\xFC"
                                  "A\xFC"
                                  "B\n"),
              std::string::npos);
    EXPECT_EQ(Run("CD T MY ITEM").Response(),
              "MY ITEM: compiled.\n1 descriptor compiled, 0 failed.");
}

TEST_F(CompileCommand, ReadsAfterASelectSeeTheCompiledItem) {
    // The select keeps the records it read for the reads that follow; a compile in
    // between must not leave the old record to be handed out.
    ASSERT_EQ(Run("SSELECT DICT T BY F1 BY RLOCATION").Error(), 0);
    ASSERT_EQ(Run("CD T TOTAL").Error(), 0);
    const auto file = session_->OpenDictionary("T");
    file->SetRecordId("TOTAL");
    file->Read();
    EXPECT_EQ(file->Record().FieldValue(9), "KCD1");
}

}  // namespace
}  // namespace mv

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/wire/WireCalls.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

namespace wire = mv::wire;

constexpr char kFM = '\xFE';

// A logged-in session on an account whose dictionary of F holds items A, B and C.
class Calls : public ::testing::Test {
protected:
    void SetUp() override {
        server_.Account().MakeDictionary("F");
        server_.Account().WriteFile("F", "A", "D\nfirst");
        server_.Account().WriteFile("F", "B", "D\nsecond");
        server_.Account().WriteFile("F", "C", "D\nthird");
        channel_ = LoggedIn(server_.Port());
        ASSERT_TRUE(channel_);
    }

    Message Do(std::int32_t function, std::vector<Arg> args = {}) {
        return Call(*channel_, Request(function, std::move(args)));
    }

    std::int32_t OpenF() {
        const Message reply =
            Do(wire::kOpen, {Arg::Int(wire::kOpenDictionaryPart), Arg::Bytes("F")});
        // The file's type, then the handle.
        EXPECT_EQ(reply, (Message{0, {Arg::Int(0), Arg::Int(19), reply.args.back()}}));
        return reply.args.size() == 3 ? reply.args[2].integer : 0;
    }

    // Runs command with blockSize, asking for every further block with continueSize;
    // returns the output and the final message.
    std::string Execute(const std::string& command, std::int32_t blockSize,
                        std::int32_t continueSize, Message& final, int& blocks) {
        std::string output;
        blocks = 1;
        Message reply = Do(wire::kExecute, {Arg::Int(blockSize), Arg::Bytes(command)});
        while (CodeOf(reply) == wire::kMoreOutput && blocks < 100) {
            output += reply.args.at(1).bytes;
            reply = Do(wire::kExecuteContinue, {Arg::Int(continueSize)});
            ++blocks;
        }
        EXPECT_EQ(CodeOf(reply), wire::kExecuteFinished);
        output += reply.args.at(1).bytes;
        EXPECT_EQ(channel_->Receive(final, 2s, 1 << 20), WireChannel::Outcome::Ok);
        return output;
    }

    std::vector<std::string> ReadNextAll() {
        std::vector<std::string> ids;
        for (int i = 0; i < 10; ++i) {
            const Message reply = Do(wire::kReadNext, {Arg::Int(0)});
            if (CodeOf(reply) != 0) {
                EXPECT_EQ(CodeOf(reply), wire::kListEmpty);
                break;
            }
            ids.push_back(reply.args.at(1).bytes);
        }
        return ids;
    }

    TestServer server_;
    std::unique_ptr<WireChannel> channel_;
};

TEST_F(Calls, itemsAreReadWrittenAndDeletedThroughAnOpenDictionary) {
    const std::int32_t handle = OpenF();
    EXPECT_EQ(
        Do(wire::kRead, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("A")}),
        (Message{0, {Arg::Int(0), Arg::Int(0), Arg::Bytes(std::string("D") + kFM + "first")}}));
    EXPECT_EQ(CodeOf(Do(wire::kRead, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("NONE")})),
              mv::kRecordNotFound);

    const std::string record = std::string("I") + kFM + "NAME" + kFM + kFM + "10L";
    EXPECT_EQ(
        Do(wire::kWrite, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("NEW"), Arg::Bytes(record)}),
        (Message{0, {Arg::Int(0), Arg::Int(0)}}));
    EXPECT_EQ(server_.Account().ReadFile("F", "NEW"), "I\nNAME\n\n10L");
    EXPECT_EQ(Do(wire::kRead, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("NEW")}).args.at(2).bytes,
              record);
    EXPECT_EQ(CodeOf(Do(wire::kWrite, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("BAD"),
                                       Arg::Bytes("line\nfeed")})),
              mv::kFieldHoldsLineFeed);

    EXPECT_EQ(Do(wire::kDelete, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("A")}),
              (Message{0, {Arg::Int(0), Arg::Int(0)}}));
    EXPECT_FALSE(std::filesystem::exists(server_.Account().DictionaryPath("F") / "A"));
    EXPECT_EQ(CodeOf(Do(wire::kDelete, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("A")})),
              mv::kRecordNotFound);

    EXPECT_EQ(Do(wire::kClose, {Arg::Int(handle)}), (Message{0, {Arg::Int(0)}}));
    EXPECT_EQ(CodeOf(Do(wire::kRead, {Arg::Int(handle), Arg::Int(0), Arg::Bytes("B")})),
              mv::kFileClosed);
}

TEST_F(Calls, openingMissingDictionariesOrDataPartsFails) {
    const Message missing = Do(wire::kOpen, {Arg::Int(1), Arg::Bytes("NOPE")});
    EXPECT_EQ(missing, (Message{0, {Arg::Int(mv::kNoSuchDictionary)}}));
    EXPECT_EQ(CodeOf(Do(wire::kOpen, {Arg::Int(1), Arg::Bytes("../account")})), mv::kBadFileName);
    EXPECT_EQ(CodeOf(Do(wire::kOpen, {Arg::Int(0), Arg::Bytes("NOPE")})), mv::kNoSuchDictionary);
    EXPECT_EQ(CodeOf(Do(wire::kOpen, {Arg::Int(0), Arg::Bytes("D_F")})), mv::kBadFileName);
    EXPECT_EQ(CodeOf(Do(wire::kOpen, {Arg::Int(2), Arg::Bytes("F")})), mv::kNoSuchFile);
}

// The data part of F is the folder F beside D_F: a file with no records until one is written.
TEST_F(Calls, theDataPartOpensBesideItsDictionary) {
    const Message open = Do(wire::kOpen, {Arg::Int(wire::kOpenDataPart), Arg::Bytes("F")});
    ASSERT_EQ(CodeOf(open), 0);
    const Arg handle = open.args.at(2);
    EXPECT_EQ(CodeOf(Do(wire::kRead, {handle, Arg::Int(0), Arg::Bytes("A")})), mv::kRecordNotFound);
    EXPECT_EQ(CodeOf(Do(wire::kWrite, {handle, Arg::Int(0), Arg::Bytes("R1"), Arg::Bytes("x")})),
              0);
    EXPECT_EQ(mv::test::FileBytes(server_.Account().Path() / "F" / "R1"), "x");
}

// ITYPE's reply is the return code and the result, a value or why there is none; no
// failure ends the session.
TEST_F(Calls, itypeAnswersTheValueOrWhyNotAndTheSessionGoesOn) {
    server_.Account().WriteFile("F", "SHOUT", "I\n@ID : '!'\nMCU");
    std::filesystem::create_directories(server_.Account().Path() / "F");
    std::ofstream(server_.Account().Path() / "F" / "ann");
    const auto itype = [this](const char* id, const char* item) {
        return Do(wire::kItype, {Arg::Bytes("F"), Arg::Bytes(id), Arg::Bytes(item)});
    };
    EXPECT_EQ(itype("ann", "SHOUT"), (Message{0, {Arg::Int(0), Arg::Bytes("ann!")}}));
    EXPECT_EQ(itype("bob", "SHOUT"), (Message{0, {Arg::Int(mv::kRecordNotFound), Arg::Bytes("")}}));
    EXPECT_EQ(CodeOf(itype("ann", "GONE")), mv::kNotEvaluated);
    EXPECT_NE(OpenF(), 0);
}

TEST_F(Calls, openFilesPerSessionAreCappedAndClosingFreesASlot) {
    TestServer capped([](ServerConfig& config) { config.maxOpenFilesPerSession = 2; });
    capped.Account().MakeDictionary("F");
    auto channel = LoggedIn(capped.Port());
    const Message open = Request(wire::kOpen, {Arg::Int(1), Arg::Bytes("F")});
    const std::int32_t first = Call(*channel, open).args.at(2).integer;
    EXPECT_EQ(CodeOf(Call(*channel, open)), 0);
    EXPECT_EQ(CodeOf(Call(*channel, open)), mv::kTooManyOpenFiles);
    EXPECT_EQ(CodeOf(Call(*channel, Request(wire::kClose, {Arg::Int(first)}))), 0);
    EXPECT_EQ(CodeOf(Call(*channel, open)), 0);
}

TEST_F(Calls, executeSendsItsOutputInBlocksOnRequestThenTheSelectedCount) {
    Message final;
    int blocks = 0;
    const std::string expected = "3 records selected to SELECT list #0.";
    EXPECT_EQ(Execute("SSELECT DICT F", 10, 10, final, blocks), expected);
    EXPECT_EQ(blocks, 4);
    EXPECT_EQ(final, (Message{0, {Arg::Int(0), Arg::Int(0), Arg::Int(3)}}));

    // The continuation's block size rules the blocks after it.
    EXPECT_EQ(Execute("SSELECT DICT F", 5, 100, final, blocks), expected);
    EXPECT_EQ(blocks, 2);

    for (const std::int32_t whole : {0, -1, static_cast<std::int32_t>(expected.size())}) {
        EXPECT_EQ(Execute("SSELECT DICT F", whole, 0, final, blocks), expected);
        EXPECT_EQ(blocks, 1) << whole;
    }
}

TEST_F(Calls, aCommandThatFailsAnswersWithItsErrorAndAFailedSelectEmptiesTheList) {
    Message final;
    int blocks = 0;
    Execute("SSELECT DICT F", 0, 0, final, blocks);
    const Message unknown = Do(wire::kExecute, {Arg::Int(0), Arg::Bytes("FROB")});
    EXPECT_EQ(CodeOf(unknown), mv::kUnknownCommand);
    ASSERT_EQ(unknown.args.size(), 2u);
    EXPECT_FALSE(unknown.args[1].bytes.empty());
    EXPECT_EQ(ReadNextAll().size(), 3u) << "an unknown verb leaves the list alone";

    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(CodeOf(Do(wire::kExecute, {Arg::Int(0), Arg::Bytes("SSELECT DICT NOPE")})),
              mv::kUnknownFileInCommand);
    EXPECT_TRUE(ReadNextAll().empty());
}

TEST_F(Calls, theSelectListIsReadWholeOrIdByIdAndCleared) {
    Message final;
    int blocks = 0;
    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(
        Do(wire::kReadList, {Arg::Int(0)}),
        (Message{
            0, {Arg::Int(0), Arg::Int(3), Arg::Bytes(std::string("A") + kFM + "B" + kFM + "C")}}));
    EXPECT_EQ(CodeOf(Do(wire::kReadList, {Arg::Int(0)})), wire::kListEmpty);

    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(Do(wire::kReadNext, {Arg::Int(0)}).args.at(1).bytes, "A");
    EXPECT_EQ(Do(wire::kReadList, {Arg::Int(0)}).args.at(2).bytes, std::string("B") + kFM + "C");

    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(ReadNextAll(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(CodeOf(Do(wire::kReadNext, {Arg::Int(0)})), wire::kListEmpty);

    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(Do(wire::kClearSelect, {Arg::Int(0)}), (Message{0, {Arg::Int(0)}}));
    EXPECT_EQ(CodeOf(Do(wire::kReadNext, {Arg::Int(0)})), wire::kListEmpty);

    EXPECT_EQ(CodeOf(Do(wire::kReadList, {Arg::Int(1)})), mv::kNoSuchSelectList);
    EXPECT_EQ(CodeOf(Do(wire::kReadNext, {Arg::Int(2)})), mv::kNoSuchSelectList);
    EXPECT_EQ(CodeOf(Do(wire::kClearSelect, {Arg::Int(3)})), mv::kNoSuchSelectList);
}

TEST_F(Calls, everySessionHasItsOwnSelectList) {
    auto other = LoggedIn(server_.Port());
    Message final;
    int blocks = 0;
    Execute("SSELECT DICT F", 0, 0, final, blocks);
    EXPECT_EQ(CodeOf(Call(*other, Request(wire::kReadNext, {Arg::Int(0)}))), wire::kListEmpty);
    EXPECT_EQ(ReadNextAll().size(), 3u);
}

TEST_F(Calls, anotherRequestWhileOutputWaitsEndsTheSession) {
    const Message first = Do(wire::kExecute, {Arg::Int(4), Arg::Bytes("SSELECT DICT F")});
    EXPECT_EQ(CodeOf(first), wire::kMoreOutput);
    EXPECT_EQ(channel_->Send(Request(wire::kReadNext, {Arg::Int(0)}), 2s),
              WireChannel::Outcome::Ok);
    EXPECT_TRUE(IsClosedByServer(*channel_));
    EXPECT_TRUE(server_.WaitForLog("EXECUTECONTINUE"));
}

}  // namespace
}  // namespace server::test

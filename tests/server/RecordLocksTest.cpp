// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/wire/WireCalls.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

namespace wire = mv::wire;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kWaitLimit = 300ms;

// One logged-in session with the dictionary of F open.
struct Client {
    std::unique_ptr<WireChannel> channel;
    Arg handle;

    Message Do(std::int32_t function, std::vector<Arg> args) {
        args.insert(args.begin(), handle);
        return Call(*channel, Request(function, std::move(args)));
    }
};

Client OpenF(std::uint16_t port) {
    Client client{LoggedIn(port), Arg::Int(0)};
    const Message open =
        Call(*client.channel, Request(wire::kOpen, {Arg::Int(1), Arg::Bytes("F")}));
    EXPECT_EQ(CodeOf(open), 0);
    client.handle = open.args.at(2);
    return client;
}

// Each step is one call of session A or B and the return code it must get; the lock state
// steps also give the state RECORDLOCKED answers.
struct Step {
    char who;
    std::int32_t function;
    std::int32_t flag;  // the lock flag, or RELEASE's 0 / 1
    const char* id;
    std::int32_t code;
    std::int32_t state = -1;
};

TEST(RecordLocks, sessionsKeepEachOthersLockedItemsAndEverySessionEndReleasesItsOwn) {
    TestServer server([](ServerConfig& config) { config.lockWaitLimit = kWaitLimit; });
    server.Account().MakeDictionary("F");
    server.Account().WriteFile("F", "X", "D\nold");
    server.Account().WriteFile("F", "K", "D\nkept");
    server.Account().WriteFile("F", "Y", "D\nfreed");
    Client a = OpenF(server.Port());
    Client b = OpenF(server.Port());

    const std::int32_t kLocked = mv::kRecordLocked;
    const Step steps[] = {
        {'A', wire::kRead, 2, "K", 0},
        {'A', wire::kDelete, wire::kDeleteKeepsLock, "K", 0},
        {'B', wire::kWrite, 0, "K", kLocked},  // the deleted item stays locked
        {'A', wire::kRead, 2, "Y", 0},
        {'A', wire::kDelete, 0, "Y", 0},  // releases
        {'B', wire::kRecordLock, 2, "Y", 0},
        {'B', wire::kRelease, wire::kReleaseEveryLock, "", 0},
        {'A', wire::kRelease, wire::kReleaseEveryLock, "", 0},
        {'A', wire::kRead, 2, "X", 0},
        {'B', wire::kRead, 2, "X", kLocked},  // exclusive against exclusive
        {'B', wire::kRead, 4, "X", kLocked},  // shared against exclusive
        {'B', wire::kRead, 0, "X", 0},        // a plain read is never kept away
        {'B', wire::kWrite, 0, "X", kLocked},
        {'B', wire::kDelete, 0, "X", kLocked},
        {'B', wire::kRecordLocked, 0, "X", 0, mv::kLockHeldExclusively},
        {'A', wire::kRecordLocked, 0, "X", 0, mv::kLockHeldHere},
        {'A', wire::kWrite, wire::kWriteKeepsLock, "X", 0},
        {'B', wire::kRecordLock, 2, "X", kLocked},
        {'A', wire::kWrite, 0, "X", 0},  // releases
        {'B', wire::kRecordLock, 2, "X", 0},
        {'A', wire::kRecordLock, 3, "X", kLocked},  // waits, bounded
        {'B', wire::kRelease, wire::kReleaseThisId, "X", 0},
        {'A', wire::kRecordLocked, 0, "X", 0, mv::kLockFree},
        {'A', wire::kRead, 2, "NEW", mv::kRecordNotFound},  // locked though missing
        {'B', wire::kWrite, 0, "NEW", kLocked},
        {'A', wire::kRelease, wire::kReleaseEveryLock, "", 0},
        {'A', wire::kRecordLock, 4, "S", 0},
        {'B', wire::kRecordLock, 4, "S", 0},  // shared locks coexist
        {'B', wire::kRecordLocked, 0, "S", 0, mv::kLockHeldShared},
        {'A', wire::kRecordLock, 2, "S", kLocked},
        {'B', wire::kRelease, wire::kReleaseEveryLock, "", 0},
        {'A', wire::kRecordLock, 2, "S", 0},
        {'A', wire::kClose, 0, nullptr, 0},  // closing the file releases its locks
        {'B', wire::kRecordLock, 2, "S", 0},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        Client& client = step.who == 'A' ? a : b;
        std::vector<Arg> args;
        if (step.function == wire::kRecordLocked) {
            args = {Arg::Bytes(step.id)};
        } else if (step.function == wire::kWrite) {
            args = {Arg::Int(step.flag), Arg::Bytes(step.id), Arg::Bytes("D\xFEnew")};
        } else if (step.function != wire::kClose) {
            args = {Arg::Int(step.flag), Arg::Bytes(step.id)};
        }
        const auto start = std::chrono::steady_clock::now();
        const Message reply = client.Do(step.function, args);
        EXPECT_EQ(CodeOf(reply), step.code) << "step " << i;
        if (step.state >= 0) {  // return code, lock state, status: the holder's user number
            const bool other =
                step.state == mv::kLockHeldExclusively || step.state == mv::kLockHeldShared;
            const std::int32_t holder = other ? (step.who == 'A' ? 2 : 1) : 0;
            EXPECT_EQ(reply, (Message{0, {Arg::Int(0), Arg::Int(step.state), Arg::Int(holder)}}))
                << "step " << i;
        } else if (step.function == wire::kRecordLock || step.function == wire::kRelease) {
            EXPECT_EQ(reply.args.size(), 1u) << "step " << i;
        }
        if ((step.flag & mv::kLockWait) != 0 && step.function == wire::kRecordLock) {
            EXPECT_GE(std::chrono::steady_clock::now() - start, kWaitLimit - 50ms) << "step " << i;
        }
    }
    EXPECT_EQ(server.Account().ReadFile("F", "X"), "D\nnew");
    for (const char* gone : {"NEW", "K", "Y"}) {
        EXPECT_FALSE(std::filesystem::exists(server.Account().DictionaryPath("F") / gone)) << gone;
    }

    // B's session ends with its lock on S: a new session takes it as soon as the server
    // has seen the connection close.
    b.channel->Close();
    Client c = OpenF(server.Port());
    std::int32_t code = -1;
    for (int tries = 0; tries < 100 && code != 0; ++tries) {
        code = CodeOf(c.Do(wire::kRecordLock, {Arg::Int(2), Arg::Bytes("S")}));
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(code, 0);

    // A local process on the same folder sees the server's locks, and the server its.
    std::shared_ptr<mv::LocalEngine> local;
    ASSERT_EQ(mv::LocalEngine::Open(server.Account().Path().string(), local), mv::kOk);
    int handle = 0;
    ASSERT_EQ(local->OpenDictionary("F", handle), mv::kOk);
    EXPECT_EQ(local->Lock(handle, "S", mv::kLockExclusive), mv::kRecordLocked);
    EXPECT_EQ(local->Write(handle, "S", "D", false), mv::kRecordLocked);
    EXPECT_EQ(local->Lock(handle, "L", mv::kLockExclusive), mv::kOk);
    EXPECT_EQ(CodeOf(c.Do(wire::kWrite, {Arg::Int(0), Arg::Bytes("L"), Arg::Bytes("D")})),
              mv::kRecordLocked);

    // The lock listing names both holders: the server's session by its number, name and
    // address, the local process by its login name.
    const Message listed =
        Call(*c.channel, Request(wire::kExecute, {Arg::Int(0), Arg::Bytes("LIST.READU")}));
    ASSERT_EQ(CodeOf(listed), wire::kExecuteFinished);
    Message outcome;
    ASSERT_EQ(c.channel->Receive(outcome, 2s, 1 << 20), WireChannel::Outcome::Ok);
    const std::string& listing = listed.args.at(1).bytes;
    EXPECT_EQ(listing.rfind("USER\tNAME\tADDRESS\tFILE\tITEM\tLOCK\tSINCE\n", 0), 0u) << listing;
    EXPECT_NE(listing.find("\n3\talice\t127.0.0.1\tDICT F\tS\texclusive\t20"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("\n0\t" + mv::LoginName() + "\t\tDICT F\tL\texclusive\t20"),
              std::string::npos)
        << listing;
}

TEST(RecordLocks, anUnknownCallIsAnsweredAndTheSessionGoesOn) {
    TestServer server;
    server.Account().MakeDictionary("F");
    Client a = OpenF(server.Port());
    EXPECT_EQ(CodeOf(Call(*a.channel, Request(999))), mv::kUnknownFunction);
    EXPECT_EQ(CodeOf(Call(*a.channel, Request(wire::kExecuteContinue, {Arg::Int(0)}))),
              mv::kUnknownFunction);
    EXPECT_EQ(CodeOf(a.Do(wire::kRecordLock, {Arg::Int(0), Arg::Bytes("X")})),
              mv::kUnknownFunction);  // a lock of no kind
    EXPECT_EQ(CodeOf(a.Do(wire::kRead, {Arg::Int(0), Arg::Bytes("X")})), mv::kRecordNotFound);
}

// A client that takes a lock and goes silent loses its session, and so its locks, after
// the lock idle time; one that holds no lock waits out the ordinary idle time.
TEST(RecordLocks, aSilentSessionHoldingLocksEndsAfterTheLockIdleTime) {
    TestServer server([](ServerConfig& config) { config.lockIdleTimeout = 300ms; });
    server.Account().MakeDictionary("F");
    server.Account().WriteFile("F", "X", "D\nold");
    Client holder = OpenF(server.Port());
    Client idle = OpenF(server.Port());
    Client other = OpenF(server.Port());
    ASSERT_EQ(CodeOf(holder.Do(wire::kRecordLock, {Arg::Int(2), Arg::Bytes("X")})), 0);
    ASSERT_EQ(CodeOf(other.Do(wire::kRecordLock, {Arg::Int(2), Arg::Bytes("X")})),
              mv::kRecordLocked);
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(CodeOf(other.Do(wire::kRecordLock, {Arg::Int(2), Arg::Bytes("X")})), 0);
    EXPECT_EQ(CodeOf(idle.Do(wire::kRecordLocked, {Arg::Bytes("X")})), 0);
    const std::vector<std::string> log = server.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find("while holding record locks") != std::string::npos;
                            }),
              1);
}

}  // namespace
}  // namespace server::test

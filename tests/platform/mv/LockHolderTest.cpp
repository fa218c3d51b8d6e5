// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <thread>

#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/LockHolder.h"
#include "platform/mv/Session.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/remote/ScriptedServer.h"
#include "tests/remote/TestBackend.h"

namespace mv {
namespace {

std::unique_ptr<Session> LogIn(const test::TempAccount& account, const std::string& user) {
    auto session = std::make_unique<Session>();
    const testbackend::Reach reach = testbackend::ReachFor(account.Path());
    session->SetHostName(reach.host);
    session->SetAccountPath(reach.account);
    session->SetUserName(user);
    session->SetPassword("secret");
    session->Connect();
    EXPECT_EQ(session->Error(), 0);
    return session;
}

// Two users on one account: the one refused names the holder, with the time it took the
// lock; once released, or once its session ends, nobody is named. On the local engine the
// holder is the login name; through a server, the user name and the session's number.
TEST(LockHolder, aRefusedUserIsToldWhoHoldsTheItemAndSince) {
    test::TempAccount account;
    account.MakeDictionary("F");
    account.WriteFile("F", "QTY", "D\nold");
    auto ann = LogIn(account, "ann");
    auto bob = LogIn(account, "bob");
    const auto annFile = ann->OpenDictionary("F");
    const auto bobFile = bob->OpenDictionary("F");
    ASSERT_TRUE(annFile && bobFile);

    const std::int64_t before = std::time(nullptr);
    annFile->SetRecordId("QTY");
    annFile->ReadForUpdate();
    ASSERT_EQ(annFile->Error(), kOk);
    bobFile->SetRecordId("QTY");
    bobFile->LockRecord();
    ASSERT_EQ(bobFile->Error(), kRecordLocked);

    const LockHolder holder = bobFile->RecordLockHolder();
    const bool remote = testbackend::IsRemote();
    EXPECT_EQ(holder.user, remote ? "ann" : LoginName());
    EXPECT_EQ(holder.number > 0, remote);
    EXPECT_GE(holder.since, before);
    EXPECT_LE(holder.since, std::time(nullptr));
    const std::string words = bobFile->LockedByWords();
    EXPECT_TRUE(std::regex_match(
        words, std::regex("locked by " + holder.user + (remote ? " \\(user [0-9]+\\)" : "") +
                          " since [0-2][0-9]:[0-5][0-9]")))
        << words;
    EXPECT_EQ(bobFile->Error(), kRecordLocked);  // asking changes no error

    // The listing names the lock by file and id.
    bob->Command().SetText("LIST.READU");
    bob->Command().Exec();
    LockHolder listed;
    ASSERT_TRUE(HolderFromListing(bob->Command().Response(), "QTY", 0, listed))
        << bob->Command().Response();
    EXPECT_EQ(listed.file, "DICT F");
    EXPECT_EQ(listed.user, holder.user);
    EXPECT_TRUE(listed.exclusive);

    annFile->ReleaseRecord();
    EXPECT_EQ(bobFile->LockedByWords(), "locked by another user");
    annFile->LockRecord();
    ann.reset();  // the session's end takes its locks and their notes
    // A server ends the session once it sees the connection go.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (bobFile->LockRecord();
         bobFile->Error() == kRecordLocked && std::chrono::steady_clock::now() < deadline;
         bobFile->LockRecord()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(bobFile->Error(), kOk);
    bob->Command().SetText("LIST.READU");
    bob->Command().Exec();
    const std::string left = bob->Command().Response();
    EXPECT_EQ(std::count(left.begin(), left.end(), '\n'), 2) << left;  // the header and bob's
    ASSERT_TRUE(HolderFromListing(left, "QTY", 0, listed));
    EXPECT_EQ(listed.user, remote ? "bob" : LoginName());
}

// The listing's form round-trips every byte of an id, and a listing of another form gives
// the lines that name the item as a word, as the server wrote them.
TEST(LockHolder, theListingRoundTripsAndAForeignOneIsQuotedNotGuessed) {
    LockHolder tricky;
    tricky.user = "ann";
    tricky.number = 7;
    tricky.address = "10.0.0.5";
    tricky.file = "DICT ORDERS";
    tricky.id = "A\tB\n\\x41\xFD";
    tricky.exclusive = false;
    tricky.since = 1765276920;  // 2025-12-09T10:42:00Z
    const std::string listing = LockListing({tricky});
    EXPECT_NE(listing.find("2025-12-09T10:42:00Z"), std::string::npos);
    LockHolder back;
    ASSERT_TRUE(HolderFromListing(listing, tricky.id, 7, back));
    EXPECT_EQ(back.id, tricky.id);
    EXPECT_EQ(back.user, "ann");
    EXPECT_EQ(back.address, "10.0.0.5");
    EXPECT_EQ(back.file, "DICT ORDERS");
    EXPECT_FALSE(back.exclusive);
    EXPECT_EQ(back.since, tricky.since);
    EXPECT_FALSE(HolderFromListing(listing, tricky.id, 8, back));  // another user's number

    const std::string foreign =
        "Active Record Locks:\r\nDevice.... Inode.... Netnode Userno Lmode Pid Item-ID\r\n"
        "   2049  1234567  0  41 RU 4711 QTY\r\n   2049  1234567  0  41 RU 4711 QTY.X\r\n";
    EXPECT_FALSE(HolderFromListing(foreign, "QTY", 0, back));
    const std::vector<std::string> lines = LinesNaming(foreign, "QTY");
    ASSERT_EQ(lines.size(), 1u);
    LockHolder quoted;
    quoted.listed = lines;
    EXPECT_EQ(LockedByWords(quoted),
              "locked by another user (the server's lock list:    2049  1234567  0  41 RU 4711 "
              "QTY)");
    LockHolder numbered;
    numbered.number = 41;
    EXPECT_EQ(LockedByWords(numbered), "locked by user 41");
    EXPECT_EQ(LockedByWords(LockHolder()), "locked by another user");
}

// A server of another make: RECORDLOCKED's status gives the number, and the lines of its
// own lock listing that name the item are quoted as it wrote them; a server that cannot
// run the listing is not asked for it again.
TEST(LockHolder, aVendorServersListingIsQuotedAndAskedForUntilItFails) {
    using wire::Arg;
    using wire::Message;
    using wire::WireChannel;
    const std::string vendorLine = "   2049  1234567  0  41 RU 4711 QTY";
    std::atomic<std::int32_t> lastCall{0};
    const testbackend::ScriptedServer server([&](WireChannel& channel) {
        const auto take = [&](std::int32_t expected) {
            Message request;
            return channel.Receive(request, std::chrono::seconds(5), 1 << 20) ==
                       WireChannel::Outcome::Ok &&
                   (expected == 0 || (!request.args.empty() && request.args[0].IsInteger() &&
                                      request.args[0].integer == expected));
        };
        const auto send = [&](std::vector<Arg> args) {
            Message reply;
            reply.args = std::move(args);
            return channel.Send(reply, std::chrono::seconds(5)) == WireChannel::Outcome::Ok;
        };
        const auto locked = [&] {
            return take(wire::kRecordLocked) && send({Arg::Int(0), Arg::Int(2), Arg::Int(41)});
        };
        const bool scripted =
            take(0) && send({Arg::Int(0)}) && take(0) && send({Arg::Int(0)}) &&  // the login
            take(wire::kOpen) && send({Arg::Int(0), Arg::Int(19), Arg::Int(7)}) &&
            take(wire::kRecordLock) && send({Arg::Int(kRecordLocked)}) && locked() &&
            take(wire::kExecute) &&
            send({Arg::Int(wire::kExecuteFinished),
                  Arg::Bytes("Active Record Locks:\r\n" + vendorLine +
                             "\r\n   2049 7 0 12 RU 99 "
                             "OTHER\r\n")}) &&
            send({Arg::Int(0), Arg::Int(0), Arg::Int(0)}) && locked() && take(wire::kExecute) &&
            send({Arg::Int(kUnknownCommand), Arg::Bytes("unknown verb")}) && locked();
        Message next;
        if (scripted &&
            channel.Receive(next, std::chrono::seconds(5), 1 << 20) == WireChannel::Outcome::Ok) {
            lastCall = next.args.empty() ? -1 : next.args[0].integer;
            send({Arg::Int(kRecordNotFound)});
        }
    });
    Session session;
    session.SetHostName(server.Host());
    session.SetAccountPath("SALES");
    session.SetUserName("bob");
    session.SetPassword("pw");
    session.Connect();
    ASSERT_EQ(session.Error(), 0);
    const auto file = session.OpenDictionary("F");
    ASSERT_TRUE(file);
    file->SetRecordId("QTY");
    file->LockRecord();
    ASSERT_EQ(file->Error(), kRecordLocked);
    EXPECT_EQ(file->LockedByWords(),
              "locked by user 41 (the server's lock list: " + vendorLine + ")");
    EXPECT_EQ(file->LockedByWords(), "locked by user 41");
    EXPECT_EQ(file->LockedByWords(), "locked by user 41");  // no listing asked for
    file->Read();
    EXPECT_EQ(file->Error(), kRecordNotFound);
    EXPECT_EQ(lastCall.load(), wire::kRead);
}

}  // namespace
}  // namespace mv

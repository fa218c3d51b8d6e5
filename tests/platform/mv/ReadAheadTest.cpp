// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <asio.hpp>

#include <functional>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/Session.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/remote/ScriptedServer.h"
#include "tests/remote/TestBackend.h"

// Reads of select list 0 sent ahead of the program: through a kelvora-server of this
// process they must give exactly what reads sent one at a time give, and through a
// scripted server every failure must reach the read it belongs to.
namespace mv {
namespace {

using namespace std::chrono_literals;
using test::TempAccount;
using wire::Arg;
using wire::Message;
using wire::WireChannel;

std::unique_ptr<Session> ConnectThroughServer(const TempAccount& account, int window) {
    auto session = std::make_unique<Session>();
    session->SetHostName(testbackend::ServeFolder(account.Parent()));
    session->SetAccountPath(account.Path().filename().string());
    session->SetReadAhead(window);
    session->Connect();
    EXPECT_EQ(session->Error(), kOk);
    return session;
}

long long RoundTrips(const Session& session) {
    const auto remote = std::dynamic_pointer_cast<RemoteBackend>(session.ActiveBackend());
    return remote ? remote->RoundTrips() : -1;
}

struct ItemRead {
    std::string id;
    int error = 0;
    std::string record;
    bool operator==(const ItemRead&) const = default;
};

std::vector<ItemRead> ReadWholeList(Session& session, const std::string& select,
                                    DictionaryFile& file) {
    session.Command().SetText(select);
    session.Command().Exec();
    EXPECT_EQ(session.Command().Error(), kOk) << session.Command().Response();
    std::vector<ItemRead> reads;
    ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file.SetRecordId(id);
        file.Read();
        reads.push_back({id, file.Error(), file.Error() == 0 ? file.Record().Text() : ""});
    }
    return reads;
}

// Ids that escape on disk, and records from empty to several megabytes.
void FillOddDictionary(const TempAccount& account, int count) {
    account.MakeDictionary("X");
    auto session = ConnectThroughServer(account, 1);
    auto file = session->OpenDictionary("X");
    ASSERT_TRUE(file);
    const std::string odd[] = {"a b", "..", "-", "\xE9t\xE9", "v\xFDm", "%2F", "a/b", "~"};
    for (int i = 0; i < count; ++i) {
        std::string id = odd[i % 8] + std::to_string(i);
        std::string record = "D\xFE" + std::to_string(i) + "\xFE\xFEL\xFE" + "10";
        if (i % 97 == 3) {
            record += "\xFE" + std::string(std::size_t{3} << 20, static_cast<char>('a' + i % 26));
        } else if (i % 13 == 0) {
            record += "\xFE" + std::string(70000, 'z');
        }
        file->SetRecordId(id);
        file->Record() = DynamicArray(record);
        file->Write();
        ASSERT_EQ(file->Error(), kOk) << id;
    }
}

TEST(ReadAhead, recordsReadAheadEqualThoseReadOneAtATimeAndCostFewRoundTrips) {
    TempAccount account;
    FillOddDictionary(account, 400);
    const std::string select = "SSELECT DICT X BY.DSND F1 BY RLOCATION";

    auto oneByOne = ConnectThroughServer(account, 1);
    auto plainFile = oneByOne->OpenDictionary("X");
    const long long plainBefore = RoundTrips(*oneByOne);
    const std::vector<ItemRead> plain = ReadWholeList(*oneByOne, select, *plainFile);
    // The select with its list sent behind it, then one round trip per item.
    EXPECT_EQ(RoundTrips(*oneByOne) - plainBefore, 1 + 400);

    for (const int window : {2, 7, 64, RemoteLogin::kDefaultReadAhead}) {
        auto ahead = ConnectThroughServer(account, window);
        auto file = ahead->OpenDictionary("X");
        const long long before = RoundTrips(*ahead);
        EXPECT_EQ(ReadWholeList(*ahead, select, *file), plain) << window;
        // Fewer with every larger window, though the large records make it shrink a while.
        EXPECT_LE(RoundTrips(*ahead) - before, window == 2 ? 1 + 400 : 1 + 400 / 3) << window;
        // The same list again on the same session: a new select starts a new window.
        EXPECT_EQ(ReadWholeList(*ahead, select, *file), plain) << window;
    }
}

// A read per item would be a thousand round trips; reading ahead takes a handful.
TEST(ReadAhead, aThousandItemsOpenInAHandfulOfRoundTrips) {
    TempAccount account;
    account.MakeDictionary("BIG");
    for (int i = 0; i < 1000; ++i) {
        account.WriteFile("BIG", "I" + std::to_string(i), "D\n" + std::to_string(i));
    }
    auto session = ConnectThroughServer(account, RemoteLogin::kDefaultReadAhead);
    auto file = session->OpenDictionary("BIG");
    const long long before = RoundTrips(*session);
    const std::vector<ItemRead> reads = ReadWholeList(*session, "SSELECT DICT BIG", *file);
    ASSERT_EQ(reads.size(), 1000u);
    for (const ItemRead& read : reads) {
        ASSERT_EQ(read.error, kOk) << read.id;
        ASSERT_EQ(read.record, "D\xFE" + read.id.substr(1));
    }
    EXPECT_LE(RoundTrips(*session) - before, 8) << RoundTrips(*session) - before;
}

// Reads ahead are what the server held when it answered them; a write, delete or
// command of this session drops them, so its own changes are always seen.
TEST(ReadAhead, thisSessionsChangesAreSeenAndAnotherSessionsShowAtTheNextRead) {
    TempAccount account;
    account.MakeDictionary("X");
    for (int i = 0; i < 40; ++i) {
        account.WriteFile("X", "K" + std::to_string(100 + i), "old" + std::to_string(i));
    }
    auto session = ConnectThroughServer(account, 16);
    auto file = session->OpenDictionary("X");
    session->Command().SetText("SSELECT DICT X");
    session->Command().Exec();
    ServerSelectList& list = session->SelectList(0);
    auto readNext = [&] {
        file->SetRecordId(list.Next());
        file->Read();
        return file->Error() == 0 ? file->Record().Text()
                                  : "error " + std::to_string(file->Error());
    };
    auto change = [&](const std::string& id, const std::string* text) {
        auto writer = session->OpenDictionary("X");
        writer->SetRecordId(id);
        if (text) {
            writer->Record() = DynamicArray(*text);
            writer->Write();
        } else {
            writer->DeleteRecord();
        }
        ASSERT_EQ(writer->Error(), kOk);
    };

    EXPECT_EQ(readNext(), "old0");  // K100, with K101..K115 on their way
    const std::string newer = "new2";
    change("K102", &newer);
    change("K103", nullptr);
    EXPECT_EQ(readNext(), "old1");
    EXPECT_EQ(readNext(), "new2");
    EXPECT_EQ(readNext(), "error " + std::to_string(kRecordNotFound));
    EXPECT_EQ(readNext(), "old4");

    // Another session changes K110 once this window has been answered (on loopback the
    // server answers sixteen reads long before the pause ends): this session reads the
    // item as it was answered, and the new text at its next read.
    std::this_thread::sleep_for(1s);
    auto other = ConnectThroughServer(account, 1);
    auto otherFile = other->OpenDictionary("X");
    otherFile->SetRecordId("K110");
    otherFile->Record() = DynamicArray("other");
    otherFile->Write();
    ASSERT_EQ(otherFile->Error(), kOk);
    for (int i = 5; i < 10; ++i) {
        EXPECT_EQ(readNext(), "old" + std::to_string(i));
    }
    EXPECT_EQ(readNext(), "old10");
    file->SetRecordId("K110");
    file->Read();
    EXPECT_EQ(file->Record().Text(), "other");

    // A command drops what was read ahead; the list goes on where it was.
    session->Command().SetText("CD X K100");
    session->Command().Exec();
    EXPECT_EQ(readNext(), "old11");
    // A new select replaces the list mid-window.
    session->Command().SetText("SSELECT DICT X BY.DSND @ID");
    session->Command().Exec();
    EXPECT_EQ(readNext(), "old39");
    EXPECT_EQ(readNext(), "old38");
}

bool Take(WireChannel& channel, Message& request) {
    return channel.Receive(request, 5s, 1 << 20) == WireChannel::Outcome::Ok;
}

bool Answer(WireChannel& channel, std::initializer_list<Arg> args) {
    Message reply;
    reply.args = args;
    return channel.Send(reply, 5s) == WireChannel::Outcome::Ok;
}

// Lets the user in, runs a select of A..F, opens a file as handle 7; then hands each
// READ request's id to answer, in the order they came.
void SelectThenServeReads(WireChannel& channel,
                          const std::function<bool(WireChannel&, const std::string&)>& answer) {
    Message request;
    if (!Take(channel, request) || !Answer(channel, {Arg::Int(0)}) || !Take(channel, request) ||
        !Answer(channel, {Arg::Int(0)}) || !Take(channel, request) ||
        !Answer(channel, {Arg::Int(wire::kExecuteFinished), Arg::Bytes("6 selected")}) ||
        !Answer(channel, {Arg::Int(0), Arg::Int(0), Arg::Int(6)}) || !Take(channel, request) ||
        !Answer(channel, {Arg::Int(0), Arg::Int(6),
                          Arg::Bytes("A\xFE"
                                     "B\xFE"
                                     "C\xFE"
                                     "D\xFE"
                                     "E\xFE"
                                     "F")}) ||
        !Take(channel, request) || !Answer(channel, {Arg::Int(0), Arg::Int(19), Arg::Int(7)})) {
        return;
    }
    while (Take(channel, request)) {
        if (request.args.size() != 4 || request.args[0] != Arg::Int(wire::kRead) ||
            !answer(channel, request.args[3].bytes)) {
            return;
        }
    }
}

struct ScriptedReads {
    std::unique_ptr<Session> session;
    std::shared_ptr<DictionaryFile> file;
    std::vector<int> errors;
    std::vector<std::string> records;
};

ScriptedReads ReadAllFrom(const testbackend::ScriptedServer& server,
                          std::chrono::milliseconds callLimit) {
    ScriptedReads reads;
    reads.session = std::make_unique<Session>();
    reads.session->SetHostName(server.Host());
    reads.session->SetAccountPath("SALES");
    reads.session->SetRemoteLimits(2s, callLimit);
    reads.session->SetReadAhead(4);
    reads.session->Connect();
    EXPECT_EQ(reads.session->Error(), kOk);
    reads.session->Command().SetText("SSELECT DICT X");
    reads.session->Command().Exec();
    reads.file = reads.session->OpenDictionary("X");
    if (!reads.file) {
        ADD_FAILURE() << reads.session->Error();
        return reads;
    }
    for (const char* id : {"A", "B", "C", "D", "E"}) {
        reads.file->SetRecordId(id);
        reads.file->Read();
        reads.errors.push_back(reads.file->Error());
        reads.records.push_back(reads.file->Error() == 0 ? reads.file->Record().Text() : "");
    }
    return reads;
}

TEST(ReadAhead, anErrorInAReplyBelongsToItsOwnReadAndALostConnectionToTheReadThatWaits) {
    testbackend::ScriptedServer server([](WireChannel& channel) {
        SelectThenServeReads(channel, [](WireChannel& c, const std::string& id) {
            if (id == "B") {
                return Answer(c, {Arg::Int(kRecordNotFound)});
            }
            if (id == "D" || id == "E") {
                return true;  // unanswered: the connection closes after the last request
            }
            if (id == "F") {
                return false;
            }
            return Answer(c, {Arg::Int(0), Arg::Int(0), Arg::Bytes("rec " + id)});
        });
    });
    const ScriptedReads reads = ReadAllFrom(server, 5s);
    EXPECT_EQ(reads.errors,
              (std::vector<int>{kOk, kRecordNotFound, kOk, kConnectionLost, kConnectionLost}));
    EXPECT_EQ(reads.records[0], "rec A");
    EXPECT_EQ(reads.records[2], "rec C");
    EXPECT_FALSE(reads.session->IsActive());
}

TEST(ReadAhead, aReplyThatNeverComesTimesOutTheReadThatWaitsForIt) {
    testbackend::ScriptedServer server([](WireChannel& channel) {
        SelectThenServeReads(channel, [](WireChannel& c, const std::string& id) {
            if (id == "C") {
                std::this_thread::sleep_for(1500ms);  // silent past the client's limit
                return false;
            }
            return Answer(c, {Arg::Int(0), Arg::Int(0), Arg::Bytes("rec " + id)});
        });
    });
    const ScriptedReads reads = ReadAllFrom(server, 500ms);
    EXPECT_EQ(reads.errors,
              (std::vector<int>{kOk, kOk, kTimeout, kConnectionLost, kConnectionLost}));
    EXPECT_EQ(reads.records[1], "rec B");
}

}  // namespace
}  // namespace mv

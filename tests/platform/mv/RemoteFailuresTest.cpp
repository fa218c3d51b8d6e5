// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <asio.hpp>

#include <atomic>
#include <functional>
#include <thread>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"
#include "tests/remote/ScriptedServer.h"

// A session against servers that misbehave: each fake server below plays one connection
// from a script on a loopback port, so every way a connection can fail is met exactly.
namespace {

using mv::Session;
using mv::wire::Arg;
using mv::wire::Message;
using mv::wire::WireChannel;
using testbackend::ScriptedServer;
using namespace std::chrono_literals;

Message Reply(std::initializer_list<Arg> args) {
    Message message;
    message.args = args;
    return message;
}

bool Take(WireChannel& channel, Message& request) {
    return channel.Receive(request, 5s, 1 << 20) == WireChannel::Outcome::Ok;
}

// Answers the service request and the login as a server that lets the user in.
bool LetIn(WireChannel& channel) {
    Message request;
    return Take(channel, request) &&
           channel.Send(Reply({Arg::Int(0)}), 5s) == WireChannel::Outcome::Ok &&
           Take(channel, request) &&
           channel.Send(Reply({Arg::Int(0)}), 5s) == WireChannel::Outcome::Ok;
}

std::unique_ptr<Session> ConnectTo(const ScriptedServer& server,
                                   std::chrono::milliseconds callLimit = 5000ms) {
    auto session = std::make_unique<Session>();
    session->SetHostName(server.Host());
    session->SetAccountPath("SALES");
    session->SetUserName("ann");
    session->SetPassword("pw");
    session->SetRemoteLimits(2000ms, callLimit);
    session->Connect();
    return session;
}

TEST(RemoteFailures, theLoginSendsTheProtocolsArgumentsAndTheServersRefusalIsTheError) {
    Message service, login;
    ScriptedServer server([&](WireChannel& channel) {
        if (Take(channel, service) &&
            channel.Send(Reply({Arg::Text("srv"), Arg::Int(0)}), 5s) == WireChannel::Outcome::Ok &&
            Take(channel, login)) {
            channel.Send(Reply({Arg::Int(mv::kBadPassword), Arg::Bytes("no")}), 5s);
        }
    });
    const auto session = ConnectTo(server);

    EXPECT_EQ(session->Error(), mv::kBadPassword);
    EXPECT_FALSE(session->IsActive());
    ASSERT_EQ(service.args.size(), 1u);
    EXPECT_EQ(service.args[0], Arg::Text("uvcs"));
    ASSERT_EQ(login.args.size(), 11u);
    EXPECT_EQ(login.args[0], Arg::Int(4));
    EXPECT_EQ(login.args[1], Arg::Int(6));
    EXPECT_EQ(login.args[2], Arg::Bytes("ann"));
    EXPECT_EQ(login.args[3], Arg::Bytes(std::string{'p' ^ 4, 'w' ^ 4}));
    EXPECT_EQ(login.args[4], Arg::Bytes("SALES"));
    for (const std::size_t text : {5u, 8u, 9u, 10u}) {
        EXPECT_EQ(login.args[text].type, mv::wire::ArgType::Bytes) << text;
    }
}

TEST(RemoteFailures, aServiceTheServerDoesNotRunIsNamed) {
    ScriptedServer server([](WireChannel& channel) {
        Message request;
        if (Take(channel, request)) {
            channel.Send(Reply({Arg::Int(1)}), 5s);
        }
    });
    auto session = std::make_unique<Session>();
    session->SetHostName(server.Host());
    session->SetDatabaseType("unidata");
    session->Connect();
    EXPECT_EQ(session->Error(), mv::kServiceNotFound);
}

// Something that is no database server answers with bytes of another protocol.
TEST(RemoteFailures, bytesOfAnotherProtocolAreRefusedAtConnect) {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, {asio::ip::make_address("127.0.0.1"), 0});
    const std::uint16_t port = acceptor.local_endpoint().port();
    std::thread web([&] {
        asio::ip::tcp::socket socket(io);
        asio::error_code error;
        acceptor.accept(socket, error);
        char request[64];
        socket.read_some(asio::buffer(request), error);
        const std::string answer = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
        asio::write(socket, asio::buffer(answer), error);
        socket.read_some(asio::buffer(request), error);  // until the client hangs up
    });
    Session session;
    session.SetHostName("127.0.0.1:" + std::to_string(port));
    session.Connect();
    EXPECT_EQ(session.Error(), mv::kBadServerMessage);
    EXPECT_FALSE(session.IsActive());
    web.join();
}

TEST(RemoteFailures, aReplyOfTheWrongShapeClosesTheConnection) {
    ScriptedServer server([](WireChannel& channel) {
        Message request;
        if (LetIn(channel) && Take(channel, request)) {
            channel.Send(Reply({Arg::Text("not a return code")}), 5s);
        }
    });
    const auto session = ConnectTo(server);
    ASSERT_EQ(session->Error(), 0);
    EXPECT_EQ(session->OpenDictionary("F"), nullptr);
    EXPECT_EQ(session->Error(), mv::kBadServerMessage);
    EXPECT_FALSE(session->IsActive());
}

// The server goes away in the middle of a call: that call fails with a clear code, the
// session is no longer active, and the file object fails at once afterwards.
TEST(RemoteFailures, aServerKilledMidCallFailsThatCallAndEveryLaterOne) {
    ScriptedServer server([](WireChannel& channel) {
        Message request;
        if (!LetIn(channel) || !Take(channel, request)) {
            return;
        }
        channel.Send(Reply({Arg::Int(0), Arg::Int(19), Arg::Int(7)}), 5s);  // OPEN: handle 7
        if (Take(channel, request)) {
            channel.Close();  // READ: gone without a word
        }
    });
    const auto session = ConnectTo(server);
    ASSERT_EQ(session->Error(), 0);
    const auto file = session->OpenDictionary("F");
    ASSERT_NE(file, nullptr);

    file->SetRecordId("X");
    file->Read();
    EXPECT_EQ(file->Error(), mv::kConnectionLost);
    EXPECT_FALSE(session->IsActive());
    file->Write();
    EXPECT_EQ(file->Error(), mv::kConnectionLost);
    session->Command().SetText("SSELECT DICT F");
    session->Command().Exec();
    EXPECT_NE(session->Command().Error(), 0);
}

TEST(RemoteFailures, aServerThatNeverAnswersTimesOut) {
    std::atomic<bool> done{false};
    ScriptedServer server([&](WireChannel& channel) {
        Message request;
        if (!LetIn(channel) || !Take(channel, request)) {
            return;
        }
        // Holds the connection open without a reply until the client gives up.
        for (int i = 0; i < 100 && !done; ++i) {
            std::this_thread::sleep_for(20ms);
        }
    });
    const auto session = ConnectTo(server, 300ms);
    ASSERT_EQ(session->Error(), 0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(session->OpenDictionary("F"), nullptr);
    EXPECT_EQ(session->Error(), mv::kTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_FALSE(session->IsActive());
    done = true;
}

// The output of a command comes in blocks. A select's ids come in one READLIST, sent
// behind the select before its reply: the server takes both requests before it answers.
TEST(RemoteFailures, commandOutputIsGatheredAcrossBlocksAndASelectFillsTheList) {
    std::vector<Message> requests;
    ScriptedServer server([&](WireChannel& channel) {
        Message request;
        if (!LetIn(channel)) {
            return;
        }
        const auto send = [&](Message reply) {
            return channel.Send(reply, 5s) == WireChannel::Outcome::Ok;
        };
        const auto take = [&] {
            return Take(channel, request) && (requests.push_back(request), true);
        };
        if (take() && send(Reply({Arg::Int(mv::wire::kMoreOutput), Arg::Bytes("3 items ")})) &&
            take() && send(Reply({Arg::Int(mv::wire::kExecuteFinished), Arg::Bytes("listed.")})) &&
            send(Reply({Arg::Int(0), Arg::Int(0), Arg::Int(0)})) && take() && take() &&
            send(Reply({Arg::Int(mv::wire::kExecuteFinished), Arg::Bytes("3 selected.")})) &&
            send(Reply({Arg::Int(0), Arg::Int(0), Arg::Int(3)}))) {
            send(Reply({Arg::Int(0), Arg::Int(3),
                        Arg::Bytes("A\xFE"
                                   "B\xFE"
                                   "C")}));
        }
        Take(channel, request);  // waits for the client to hang up
    });
    const auto session = ConnectTo(server);
    ASSERT_EQ(session->Error(), 0);

    session->Command().SetText("LIST DICT F");
    session->Command().Exec();
    EXPECT_EQ(session->Command().Error(), 0);
    EXPECT_EQ(session->Command().Response(), "3 items listed.");
    session->Command().SetText("SSELECT DICT F");
    session->Command().Exec();
    EXPECT_EQ(session->Command().Error(), 0);
    EXPECT_EQ(session->Command().Response(), "3 selected.");

    const std::vector<std::int32_t> calls = {mv::wire::kExecute, mv::wire::kExecuteContinue,
                                             mv::wire::kExecute, mv::wire::kReadList};
    ASSERT_EQ(requests.size(), calls.size());
    for (std::size_t n = 0; n < calls.size(); ++n) {
        EXPECT_EQ(requests[n].args[0], Arg::Int(calls[n])) << n;
    }
    EXPECT_EQ(requests[2].args[2], Arg::Bytes("SSELECT DICT F"));
    mv::ServerSelectList& list = session->SelectList(0);
    std::vector<std::string> ids;
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        ids.push_back(id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"A", "B", "C"}));
    session->Disconnect();
}

}  // namespace

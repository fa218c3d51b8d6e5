// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>

#include "platform/mv/ErrorCodes.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/remote/StandInServer.h"

// Items evaluated by the engine serving the account: the local engine, and kelvora-server
// and the stand-in server when the suite runs through them.
namespace mv {
namespace {

// File F: NAME in field 1 of records R0..R9, I items over it; CITY reads file G.
void MakeAccount(const test::TempAccount& account) {
    account.MakeDictionary("F");
    account.WriteFile("F", "NAME", "D\n1");
    account.WriteFile("F", "SHOUT", "I\nNAME : '!'\nMCU");  // field 3 is not applied
    account.WriteFile("F", "CITY", "I\nTRANS(G, NAME, 1, 'X')");
    account.WriteFile("F", "BAD", "I\nNOSUCH + 1");
    account.MakeDictionary("G");
    std::filesystem::create_directories(account.Path() / "G");
    std::ofstream(account.Path() / "G" / "ann") << "Paris";
    std::filesystem::create_directories(account.Path() / "F");
    for (int n = 0; n < 10; ++n) {
        std::ofstream(account.Path() / "F" / ("R" + std::to_string(n))) << (n == 1 ? "ann" : "x");
    }
}

TEST(Itype, valuesAndFailuresComeFromTheEngineServingTheAccount) {
    test::TempAccount account;
    MakeAccount(account);
    const auto session = account.Connect();
    ASSERT_EQ(session->Error(), kOk);
    struct Row {
        std::string file, id, item, result;  // for kNotEvaluated, a word of the reason
        int code;
    } const rows[] = {
        {"F", "R1", "SHOUT", "ann!", kOk},           {"F", "R1", "CITY", "Paris", kOk},
        {"F", "NONE", "SHOUT", "", kRecordNotFound}, {"NOPE", "R1", "SHOUT", "", kNoSuchDictionary},
        {"F", "R1", "BAD", "NOSUCH", kNotEvaluated},
    };
    for (const Row& row : rows) {
        std::string result = "stale";
        EXPECT_EQ(session->Itype(row.file, row.id, row.item, result), row.code) << row.item;
        EXPECT_TRUE(row.code == kNotEvaluated ? result.find(row.result) != std::string::npos
                                              : result == row.result)
            << row.item << ": " << result;
    }

    // Ten records at once, a missing one among them, each as asked alone; through a
    // server in one round trip.
    const std::vector<std::string> ids = {"R0", "R1", "R2", "NONE", "R4",
                                          "R5", "R6", "R7", "R8",   "R9"};
    const auto remote = std::dynamic_pointer_cast<RemoteBackend>(session->ActiveBackend());
    const long long trips = remote ? remote->RoundTrips() : 0;
    const std::vector<ItypeResult> results = session->Itypes("F", ids, "SHOUT");
    EXPECT_EQ(remote ? remote->RoundTrips() - trips : 1, 1);
    ASSERT_EQ(results.size(), ids.size());
    for (std::size_t n = 0; n < ids.size(); ++n) {
        EXPECT_EQ(results[n].code, n == 3 ? kRecordNotFound : kOk);
        EXPECT_EQ(results[n].result, n == 3 ? "" : n == 1 ? "ann!" : "x!") << ids[n];
    }
}

// A server without the call is asked once; the session carries on without it.
TEST(ItypeRefused, aServerWithoutTheCallIsAskedOnce) {
    test::TempAccount account;
    MakeAccount(account);
    using Server = testbackend::StandInServer;
    const Server server(account.Parent(), Server::Handles::Integer, Server::Locks::Kept,
                        Server::Writes::Allowed, {}, Server::Evaluation::Unknown);
    Session session;
    session.SetHostName("127.0.0.1:" + std::to_string(server.Port()));
    session.SetAccountPath(account.Path().filename().string());
    session.Connect();
    const auto remote = std::dynamic_pointer_cast<RemoteBackend>(session.ActiveBackend());
    ASSERT_TRUE(remote);

    std::string result;
    EXPECT_EQ(session.Itype("F", "R1", "SHOUT", result), kUnknownFunction);
    const long long sent = remote->RequestsSent();
    EXPECT_EQ(session.Itypes("F", {"R1", "R2"}, "SHOUT").at(1).code, kUnknownFunction);
    EXPECT_EQ(remote->RequestsSent(), sent);
    EXPECT_NE(session.OpenFile("F"), nullptr);
}

}  // namespace
}  // namespace mv

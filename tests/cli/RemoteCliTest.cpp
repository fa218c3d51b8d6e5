// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "tests/cli/CliFixture.h"
#include "tests/remote/CountingRelay.h"
#include "tests/remote/ScriptedServer.h"
#include "tests/remote/StandInServer.h"
#include "tests/remote/TestBackend.h"

// Every command of kelvora-cmd through kelvora-server: the same output as on the folder.
namespace {

using namespace cli::test;

class RemoteCli : public ::testing::Test {
protected:
    void SetUp() override {
        demo_ = CopyDemo(folder_);
        host_ = testbackend::ServeFolder(folder_.Path());
    }

    Outcome Local(std::vector<std::string> words) {
        words.insert(words.begin(), {"-a", demo_.string()});
        return RunCli(words);
    }
    Outcome Remote(std::vector<std::string> words,
                   std::optional<std::string> password = std::string("any")) {
        words.insert(words.begin(), {"-H", host_, "-u", "ann", "-a", "demo"});
        return RunCli(words, false, std::move(password));
    }

    TempFolder folder_;
    fs::path demo_;
    std::string host_;
};

TEST_F(RemoteCli, execExportAndCheckGiveWhatTheyGiveOnTheFolder) {
    const std::vector<std::vector<std::string>> commands = {
        {"EXEC", "SSELECT DICT ORDERS BY F1 BY RLOCATION"},
        {"EXEC", "SSELECT DICT NOPE"},
        {"-t", "UniData", "export", "ORDERS", "-"},
        {"--read-ahead", "1", "export", "ORDERS", "-"},
        {"check", "CUSTOMERS", "ORDERS", "PRODUCTS"},
    };
    for (const auto& words : commands) {
        const Outcome local = Local(words);
        const Outcome remote = Remote(words);
        EXPECT_EQ(remote.status, local.status) << words[0] << " " << words[1];
        EXPECT_EQ(remote.out, local.out) << words[0] << " " << words[1];
    }
}

// An export on a server: after the login, the open with the select and its list take one
// round trip and the items read ahead one more; the close waits for no answer. Through
// kelvora-server and the stand-in server, counted outside the client.
TEST_F(RemoteCli, anExportTakesTwoRoundTripsAfterTheLogin) {
    const testbackend::StandInServer standIn(folder_.Path(),
                                             testbackend::StandInServer::Handles::Bytes);
    const std::string expected = Local({"export", "ORDERS", "-"}).out;
    for (const int port : {int{standIn.Port()}, std::stoi(host_.substr(host_.find(':') + 1))}) {
        const testbackend::CountingRelay relay(static_cast<std::uint16_t>(port));
        const Outcome outcome =
            RunCli({"-H", relay.Host(), "-u", "ann", "-a", "demo", "export", "ORDERS", "-"}, false,
                   std::string("any"));
        EXPECT_EQ(outcome.out, expected);
        EXPECT_EQ(relay.RoundTrips(/*whenClosed=*/true), 2 + 2 + 1) << port;
    }
}

TEST_F(RemoteCli, theServerIsNamedWhenItCannotBeReachedAndCheckNeedsFileNames) {
    const Outcome refused = RunCli({"-H", "127.0.0.1:1", "-a", "demo", "EXEC", "SSELECT DICT X"},
                                   false, std::string("pw"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "kelvora-cmd: demo on 127.0.0.1:1: error 81016 (Nothing listens at that host and "
              "port, or the server has no room for another session (connection refused))\n");

    const Outcome noPassword = Remote({"EXEC", "SSELECT DICT ORDERS"}, std::nullopt);
    EXPECT_EQ(noPassword.status, 1);
    EXPECT_NE(noPassword.err.find("KELVORA_PASSWORD"), std::string::npos) << noPassword.err;

    // --tls reaches the server, which offers none; nothing goes in clear instead.
    const Outcome unencrypted = Remote({"--tls", "EXEC", "SSELECT DICT ORDERS"});
    EXPECT_EQ(unencrypted.status, 1);
    EXPECT_NE(unencrypted.err.find("error 81021 (The server does not offer encrypted"),
              std::string::npos)
        << unencrypted.err;

    // A server that takes TLS only: the command line's option is named, not the program's
    // settings file.
    const testbackend::ScriptedServer tlsOnly([](mv::wire::WireChannel& channel) {
        mv::wire::Message request;
        mv::wire::Message refusal;
        refusal.args = {mv::wire::Arg::Int(81020)};
        if (channel.Receive(request, std::chrono::seconds(5), 1 << 16) ==
            mv::wire::WireChannel::Outcome::Ok) {
            channel.Send(refusal, std::chrono::seconds(5));
        }
    });
    const Outcome plain =
        RunCli({"-H", tlsOnly.Host(), "-a", "demo", "EXEC", "SSELECT DICT X"}, false, "pw");
    EXPECT_NE(plain.err.find("error 81020 (The server accepts encrypted connections only: add "
                             "--tls)"),
              std::string::npos)
        << plain.err;

    const Outcome unnamed = Remote({"check"});
    EXPECT_EQ(unnamed.status, 2);
    EXPECT_NE(unnamed.err.find("name the files"), std::string::npos) << unnamed.err;
}

}  // namespace

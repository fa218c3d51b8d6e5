// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/History.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/remote/StandInServer.h"
#include "tests/server/ServerFixture.h"

namespace server::test {
namespace {

std::unique_ptr<mv::Session> LogIn(std::uint16_t port, const std::string& user) {
    auto session = std::make_unique<mv::Session>();
    session->SetHostName("127.0.0.1:" + std::to_string(port));
    session->SetAccountPath("account");
    session->SetUserName(user);
    session->SetPassword("secret");
    session->Connect();
    EXPECT_EQ(session->Error(), 0);
    return session;
}

void Save(mv::Session& session, const std::string& id, const std::string& record) {
    const auto file = session.OpenDictionary("F");
    ASSERT_TRUE(file);
    file->SetRecordId(id);
    file->ReadForUpdate();
    file->SetRecord(mv::DynamicArray(record));
    file->Write();
    EXPECT_EQ(file->Error(), 0);
}

// Two users through kelvora-server: what ann saves is in bob's history with her name, as
// it is in the journal of the account folder, which the local engine reads too. A server
// without the command leaves the history of this computer, and says so.
TEST(History, aSaveThroughTheServerIsInEveryonesHistoryWithItsUser) {
    TestServer server;
    server.Account().MakeDictionary("F");
    server.Account().WriteFile("F", "QTY", "D\n3\nold");
    auto ann = LogIn(server.Port(), "ann");
    auto bob = LogIn(server.Port(), "bob");
    Save(*ann, "QTY",
         "D\xFE"
         "3\xFEnew\xFDtwo");
    Save(*bob, "NEW",
         "D\xFE"
         "1");

    bool thisComputerOnly = true;
    const std::vector<core::JournalEntry> seen =
        core::AccountHistory(*bob, "F", "QTY", thisComputerOnly);
    EXPECT_FALSE(thisComputerOnly);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].user, "ann");
    EXPECT_EQ(seen[0].before,
              "D\xFE"
              "3\xFEold");
    EXPECT_EQ(seen[0].after,
              "D\xFE"
              "3\xFEnew\xFDtwo");
    EXPECT_EQ(seen[0].outcome, core::ChangeOutcome::Done);
    EXPECT_EQ(core::AccountHistory(*bob, "F", "", thisComputerOnly).size(), 2u);

    mv::Session local;
    local.SetAccountPath(server.Account().Path().string());
    local.Connect();
    const std::vector<core::JournalEntry> onDisk =
        core::AccountHistory(local, "F", "NEW", thisComputerOnly);
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_EQ(onDisk[0].user, "bob");
    EXPECT_FALSE(onDisk[0].before);

    const testbackend::StandInServer vendor(server.Root(),
                                            testbackend::StandInServer::Handles::Bytes);
    auto carol = LogIn(vendor.Port(), "carol");
    EXPECT_FALSE(core::ServerHistory(*carol, "F", "QTY"));
    core::AccountHistory(*carol, "F", "QTY", thisComputerOnly);
    EXPECT_TRUE(thisComputerOnly);
}

// The lines keep every byte of an id and of both versions, a version that was none, the
// user, the origin and the outcome.
TEST(History, theListingRoundTrips) {
    core::JournalEntry change;
    change.session = 0x0123456789ABCDEFULL;
    change.sequence = 42;
    change.msecsSinceEpoch = 1765276920123;
    change.origin = core::ChangeOrigin::Restore;
    change.outcome = core::ChangeOutcome::Failed;
    change.user = "ann\tsmith";
    change.file = "ORDERS";
    change.id = "A B\n\\";
    change.before = std::string("D\xFE\xFD\xFC\xFB\x01 \xC3\xA9\xFF", 11);
    core::JournalEntry deleted = change;
    deleted.origin = core::ChangeOrigin::Edit;
    deleted.before = "";
    deleted.after.reset();
    const std::string listing = core::HistoryListing({change, deleted});
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 3) << listing;
    std::vector<core::JournalEntry> back;
    ASSERT_TRUE(core::ParseHistoryListing(listing, back)) << listing;
    ASSERT_EQ(back.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const core::JournalEntry& want = i == 0 ? change : deleted;
        EXPECT_EQ(back[i].session, want.session);
        EXPECT_EQ(back[i].sequence, want.sequence);
        EXPECT_EQ(back[i].msecsSinceEpoch, want.msecsSinceEpoch);
        EXPECT_EQ(back[i].origin, want.origin);
        EXPECT_EQ(back[i].outcome, want.outcome);
        EXPECT_EQ(back[i].user, want.user);
        EXPECT_EQ(back[i].id, want.id);
        EXPECT_EQ(back[i].before, want.before);
        EXPECT_EQ(back[i].after, want.after);
    }
    EXPECT_FALSE(core::ParseHistoryListing("USER\tNAME\n", back));
}

}  // namespace
}  // namespace server::test

// SPDX-License-Identifier: MIT
// kelvora-cmd list: the records of a file as its descriptors show them.
#include <gtest/gtest.h>

#include "tests/cli/CliFixture.h"
#include "tests/remote/CountingRelay.h"
#include "tests/remote/StandInServer.h"
#include "tests/remote/TestBackend.h"

namespace cli::test {
namespace {

class List : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path dictionary = account() / "D_ORDERS";
        const fs::path records = account() / "ORDERS";
        const fs::path customers = account() / "CUSTOMERS";
        for (const fs::path& folder : {dictionary, records, account() / "D_CUSTOMERS", customers}) {
            fs::create_directories(folder);
        }
        WriteItem(dictionary, "CUSTOMER",
                  "D\xFE"
                  "1\xFE\xFE"
                  "Customer\xFE"
                  "6L\xFES");
        WriteItem(dictionary, "ORDER.DATE",
                  "D\xFE"
                  "2\xFE"
                  "D2/\xFE"
                  "Date\xFE"
                  "8R\xFES");
        WriteItem(dictionary, "PRICE",
                  "D\xFE"
                  "3\xFE"
                  "MD2\xFE"
                  "Price\xFE"
                  "7R\xFEM");
        WriteItem(dictionary, "TOTAL",
                  "I\xFE"
                  "SUM(PRICE)\xFE"
                  "MD2\xFE"
                  "Total\xFE"
                  "7R\xFES");
        WriteItem(dictionary, "NAME",
                  "I\xFETRANS(CUSTOMERS,CUSTOMER,1,'X')\xFE\xFE"
                  "Name\xFE"
                  "5L\xFES");
        WriteItem(dictionary, "REMOTE",
                  "I\xFESUBR('X',@ID)\xFE\xFE"
                  "Remote\xFE"
                  "6L\xFES");
        WriteItem(dictionary, "LINES",
                  "PH\xFE"
                  "PRICE TOTAL");
        WriteItem(dictionary, "NUMBER", std::string("I\xFE@NI\xFE\xFEN\xFE") + "3R\xFES");
        WriteItem(records, "A1",
                  "C1\xFE"
                  "18000\xFE"
                  "150\xFD"
                  "2525");
        WriteItem(records, "A2",
                  "C9\xFE"
                  "18001\xFE"
                  "1");
        WriteItem(customers, "C1", "Ann Lee");
    }
    fs::path account() const { return folder_.Path() / "account"; }

    TempFolder folder_;
};

TEST_F(List, showsRecordsAsTheirDescriptorsMakeThem) {
    const std::string place = account().string();
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string out;
        std::string err;  // must be in standard error
    };
    const std::vector<Case> cases = {
        // No fields named and no @ phrase: the D items in field order.
        {{"list", place, "ORDERS"},
         0,
         "@ID         Customer  Date      Price\n"
         "A1          C1        04/12/17     1.50\n"
         "                                  25.25\n"
         "A2          C9        04/13/17     0.01\n",
         ""},
        {{"list", place, "ORDERS", "TOTAL", "NAME", "--tsv"},
         0,
         "A1\t26.75\tAnn Lee\nA2\t0.01\t\n",
         ""},
        {{"list", place, "ORDERS", "PRICE", "--id", "A2", "--id", "NONE", "--tsv"},
         1,
         "A2\t0.01\nNONE\t\n",
         "NONE, @ID: no such record in ORDERS"},
        {{"list", place, "ORDERS", "REMOTE", "TOTAL", "--sample", "1"},
         1,
         "@ID         Remote  Total\nA1          ?         26.75\n",
         "A1, REMOTE: not evaluated here: SUBR calls a server subroutine"},
        {{"list", place, "ORDERS", "NOPE"}, 2, "", "no item NOPE in the dictionary of ORDERS"},
        {{"list", place, "ORDERS", "LINES"}, 2, "", "not a D, A, S, I or V item: LINES"},
        {{"list", place, "MISSING"}, 2, "", "MISSING"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(c.words);
        SCOPED_TRACE(c.words[2] + (c.words.size() > 3 ? " " + c.words[3] : ""));
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_EQ(outcome.out, c.out);
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
    }
}

// Through a server that evaluates descriptors (ITYPE) the values of I items are the
// server's, and where Kelvora's differ both are said (@NI: the record's place in the
// listing to Kelvora, 1 to a server asked about one record); a server that does not
// evaluate them leaves Kelvora's values, said once.
TEST_F(List, throughAServerItsValuesAreShownAndADifferenceIsSaid) {
    using testbackend::StandInServer;
    for (const auto evaluation :
         {StandInServer::Evaluation::Served, StandInServer::Evaluation::Unknown}) {
        const StandInServer server(folder_.Path(), StandInServer::Handles::Integer,
                                   StandInServer::Locks::Kept, StandInServer::Writes::Allowed, {},
                                   evaluation);
        const Outcome outcome =
            RunCli({"list", "ann@127.0.0.1:" + std::to_string(server.Port()) + "/account", "ORDERS",
                    "NUMBER", "TOTAL", "--tsv"},
                   false, std::string("any"));
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        if (evaluation == StandInServer::Evaluation::Served) {
            EXPECT_EQ(outcome.out, "A1\t1\t26.75\nA2\t1\t0.01\n");
            EXPECT_EQ(outcome.err,
                      "kelvora-cmd: A2, NUMBER: the server gives \"1\", Kelvora \"2\" (shown: the "
                      "server's)\n");
        } else {
            EXPECT_EQ(outcome.out, "A1\t1\t26.75\nA2\t2\t0.01\n");
            EXPECT_EQ(outcome.err,
                      "kelvora-cmd: the server does not evaluate descriptors (ITYPE): the values "
                      "of I and V items are Kelvora's\n");
        }
    }
}

// One I item on ten records through a server: after the login's two round trips, one
// for the files and the dictionary's ids, one for its items, one for the records' ids
// and one for the records and the server's values of them; then the files are closed
// without waiting for the answer. Through kelvora-server and the stand-in server,
// counted outside the client.
TEST_F(List, throughAServerTenRecordsTakeFourRoundTripsAfterTheLogin) {
    for (int n = 3; n <= 10; ++n) {
        WriteItem(account() / "ORDERS", "A" + std::to_string(n),
                  "C1\xFE"
                  "18000\xFE"
                  "100");
    }
    const testbackend::StandInServer standIn(folder_.Path(),
                                             testbackend::StandInServer::Handles::Bytes);
    const std::string server = testbackend::ServeFolder(folder_.Path());
    for (const int port : {int{standIn.Port()}, std::stoi(server.substr(server.find(':') + 1))}) {
        const testbackend::CountingRelay relay(static_cast<std::uint16_t>(port));
        const Outcome outcome =
            RunCli({"list", "ann@" + relay.Host() + "/account", "ORDERS", "TOTAL", "--tsv"}, false,
                   std::string("any"));
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 10) << outcome.out;
        EXPECT_EQ(relay.RoundTrips(/*whenClosed=*/true), 2 + 4 + 1) << port;
    }
}

}  // namespace
}  // namespace cli::test

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/server/ServerFixture.h"
#include "tests/server/TestCertificates.h"

// Reads sent ahead travel as separate TLS records and their replies arrive packed in
// others: each must still reach its own Read, records of every size included.
namespace server::test {
namespace {

TEST(ReadAheadOverTls, everyItemOfTheListArrivesWholeAndInOrder) {
    TestCertificates pki;
    TestServer server([&](ServerConfig& config) {
        std::string why;
        config.tls = mv::wire::TlsCredentials::Load(pki.CertificateFile().string(),
                                                    pki.KeyFile().string(), why);
        ASSERT_TRUE(config.tls) << why;
    });
    server.Account().MakeDictionary("F");
    for (int i = 0; i < 300; ++i) {
        // Most records are small; every 37th is larger than a TLS record (16 KiB).
        const std::string body = i % 37 == 5 ? std::string(100000, 'x') : std::to_string(i);
        server.Account().WriteFile("F", "K" + std::to_string(1000 + i), "D\n" + body);
    }

    mv::Session session;
    session.SetHostName("localhost:" + std::to_string(server.Port()));
    session.SetAccountPath("account");
    session.SetSecure(true);
    session.SetCaFile(pki.CaFile().string());
    session.SetReadAhead(32);
    session.Connect();
    ASSERT_EQ(session.Error(), mv::kOk);
    auto file = session.OpenDictionary("F");
    ASSERT_TRUE(file);
    session.Command().SetText("SSELECT DICT F");
    session.Command().Exec();
    mv::ServerSelectList& list = session.SelectList(0);
    int read = 0;
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next(), ++read) {
        file->SetRecordId(id);
        file->Read();
        ASSERT_EQ(file->Error(), mv::kOk) << id;
        const int i = std::stoi(id.substr(1)) - 1000;
        EXPECT_EQ(file->Record().Text(),
                  "D\xFE" + (i % 37 == 5 ? std::string(100000, 'x') : std::to_string(i)))
            << id;
    }
    EXPECT_EQ(read, 300);
}

}  // namespace
}  // namespace server::test

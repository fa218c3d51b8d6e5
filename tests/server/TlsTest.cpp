// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "tests/server/ServerFixture.h"
#include "tests/server/TestCertificates.h"

namespace server::test {
namespace {

std::shared_ptr<const mv::wire::TlsCredentials> Credentials(const std::filesystem::path& cert,
                                                            const std::filesystem::path& key) {
    std::string why;
    auto credentials = mv::wire::TlsCredentials::Load(cert.string(), key.string(), why);
    EXPECT_TRUE(credentials) << why;
    return credentials;
}

// A server offering the certificate the test CA signed for "localhost".
class Tls : public ::testing::Test {
protected:
    TestServer& Server(bool requireTls = false, bool selfSigned = false) {
        server_ = std::make_unique<TestServer>([&](ServerConfig& config) {
            config.tls = selfSigned ? Credentials(pki_.SelfSignedFile(), pki_.SelfSignedKeyFile())
                                    : Credentials(pki_.CertificateFile(), pki_.KeyFile());
            config.requireTls = requireTls;
        });
        server_->Account().MakeDictionary("F");
        return *server_;
    }

    // A session of the client objects, connected or not: Error says.
    std::unique_ptr<mv::Session> Connect(const std::string& host, bool secure,
                                         const std::string& caFile) {
        auto session = std::make_unique<mv::Session>();
        session->SetHostName(host + ":" + std::to_string(server_->Port()));
        session->SetAccountPath("account");
        session->SetUserName("ann");
        session->SetPassword("pw");
        session->SetSecure(secure);
        session->SetCaFile(caFile);
        session->SetRemoteLimits(5s, 5s);
        session->Connect();
        return session;
    }

    // Writes an item through the session and reads it back; what the server's disk holds.
    std::string WriteAndReadBack(mv::Session& session) {
        auto file = session.OpenDictionary("F");
        EXPECT_TRUE(file) << session.Error();
        if (!file) {
            return "";
        }
        file->SetRecordId("GREETING");
        file->SetRecord(mv::DynamicArray(std::string("D\xFEhello\xFDworld")));
        file->Write();
        EXPECT_EQ(file->Error(), 0);
        file->SetRecord(mv::DynamicArray());
        file->Read();
        EXPECT_EQ(file->Error(), 0);
        EXPECT_EQ(file->Record().Text(), "D\xFEhello\xFDworld");
        return server_->Account().ReadFile("F", "GREETING");
    }

    TestCertificates pki_;
    std::unique_ptr<TestServer> server_;
};

TEST_F(Tls, aCertificateSignedByTheNamedCaForTheHostCarriesReadsAndWrites) {
    Server();
    auto session = Connect("localhost", true, pki_.CaFile().string());
    ASSERT_EQ(session->Error(), 0);
    EXPECT_EQ(WriteAndReadBack(*session), "D\nhello\xFDworld");
    EXPECT_TRUE(server_->WaitForLog("to account \"account\" over TLS"));
}

TEST_F(Tls, theClientRefusesAnotherHostsCertificateAndAnUntrustedOne) {
    Server();
    // The certificate names localhost, not the address.
    EXPECT_EQ(Connect("127.0.0.1", true, pki_.CaFile().string())->Error(), mv::kTlsWrongHost);
    // The system's store does not hold the test CA.
    EXPECT_EQ(Connect("localhost", true, "")->Error(), mv::kTlsUntrusted);
    // A CA file that cannot be read trusts nothing.
    EXPECT_EQ(
        Connect("localhost", true, (pki_.CaFile().parent_path() / "none.pem").string())->Error(),
        mv::kTlsUntrusted);
    EXPECT_TRUE(server_->WaitForLog("closed: TLS handshake failed"));
    for (const std::string& line : server_->Log()) {
        EXPECT_EQ(line.find("logged in"), std::string::npos) << line;
    }
}

TEST_F(Tls, aSelfSignedCertificateIsRefused) {
    Server(/*requireTls=*/false, /*selfSigned=*/true);
    EXPECT_EQ(Connect("localhost", true, pki_.CaFile().string())->Error(), mv::kTlsUntrusted);
}

// A certificate out of its dates has a code of its own and the date in the detail; one of
// an unknown CA is untrusted whatever its dates.
TEST_F(Tls, aCertificateOutOfItsDatesIsToldApartFromAnUntrustedOne) {
    const std::tuple<std::filesystem::path, std::filesystem::path, int, std::string> cases[] = {
        {pki_.ExpiredFile(), pki_.CaFile(), mv::kTlsCertificateExpired,
         "the server's certificate expired on 2002-03-04 05:06:07 UTC"},
        {pki_.NotYetValidFile(), pki_.CaFile(), mv::kTlsCertificateNotYetValid,
         "the server's certificate is valid only from 2098-01-02 03:04:05 UTC"},
        {pki_.ExpiredFile(), "", mv::kTlsUntrusted, ""},
    };
    for (const auto& [certificate, caFile, code, detail] : cases) {
        server_ = std::make_unique<TestServer>(
            [&](ServerConfig& config) { config.tls = Credentials(certificate, pki_.KeyFile()); });
        const auto session = Connect("localhost", true, caFile.string());
        EXPECT_EQ(session->Error(), code) << certificate;
        EXPECT_EQ(session->ConnectDetail(), detail) << certificate;
    }
}

TEST_F(Tls, plainClientsAreServedUnlessTlsIsRequired) {
    Server();
    auto plain = Connect("localhost", false, "");
    ASSERT_EQ(plain->Error(), 0);
    EXPECT_EQ(WriteAndReadBack(*plain), "D\nhello\xFDworld");

    Server(/*requireTls=*/true);
    EXPECT_EQ(Connect("localhost", false, "")->Error(), mv::kTlsRequired);
    EXPECT_TRUE(server_->WaitForLog("did not ask for TLS, which this server requires"));
    EXPECT_EQ(Connect("localhost", true, pki_.CaFile().string())->Error(), 0);
}

TEST(TlsNotOffered, aClientAskingForTlsIsToldSoAndNotServedInClear) {
    TestServer server;
    auto session = std::make_unique<mv::Session>();
    session->SetHostName("localhost:" + std::to_string(server.Port()));
    session->SetAccountPath("account");
    session->SetSecure(true);
    session->Connect();
    EXPECT_EQ(session->Error(), mv::kTlsNotOffered);
    EXPECT_FALSE(session->IsActive());
}

TEST(TlsCredentialsLoading, missingOrMismatchedFilesAreNamed) {
    TestCertificates pki;
    std::string why;
    EXPECT_FALSE(mv::wire::TlsCredentials::Load("/nonexistent.pem", pki.KeyFile().string(), why));
    EXPECT_NE(why.find("/nonexistent.pem"), std::string::npos) << why;
    EXPECT_FALSE(mv::wire::TlsCredentials::Load(pki.CertificateFile().string(),
                                                pki.SelfSignedKeyFile().string(), why));
    EXPECT_NE(why.find("mismatch"), std::string::npos) << why;
}

}  // namespace
}  // namespace server::test

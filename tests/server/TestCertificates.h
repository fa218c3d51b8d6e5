// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace server::test {

// Certificates made for one test with OpenSSL, in PEM files under a temporary folder that
// goes with the object: a certificate authority, a server certificate it signed for the
// name "localhost" only, a self-signed certificate for the same name, and two more it
// signed for the server's key: one that expired on 2002-03-04 05:06:07 UTC, and one valid
// only from 2098-01-02 03:04:05 UTC.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    std::filesystem::path CaFile() const { return folder_ / "ca.pem"; }
    std::filesystem::path CertificateFile() const { return folder_ / "server.pem"; }
    std::filesystem::path KeyFile() const { return folder_ / "server.key"; }
    std::filesystem::path SelfSignedFile() const { return folder_ / "self.pem"; }
    std::filesystem::path SelfSignedKeyFile() const { return folder_ / "self.key"; }
    std::filesystem::path ExpiredFile() const { return folder_ / "expired.pem"; }
    std::filesystem::path NotYetValidFile() const { return folder_ / "future.pem"; }

private:
    std::filesystem::path folder_;
};

}  // namespace server::test
